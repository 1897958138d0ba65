-- Demo data for a company database made from company_schema.sql.
--   psql -v warranties=300 -f demo_data.sql      (demo)
--   psql -v warranties=100000 -f demo_data.sql   (benchmarks)
-- For W warranties: about 3W invoiced units (a third of them to dealers),
-- W warranties on units sold to end customers, about W/20 on dealer units,
-- a few on units missing from articol, documents and extensions.
-- Deterministic: every choice is a hash of a row number, not random(), so a
-- scale always gives the same rows whatever plan the server picks.
\set ON_ERROR_STOP on
\if :{?warranties}
\else
\set warranties 300
\endif

BEGIN;
SET LOCAL client_min_messages = warning;

-- Uniform value in [0, 1) from a row number and a salt.
CREATE FUNCTION pg_temp.r(k bigint, salt int) RETURNS double precision
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS
$$ SELECT ('x' || substr(md5(k::text || '/' || salt::text), 1, 13))::bit(52)::bigint / 4503599627370496.0 $$;

CREATE FUNCTION pg_temp.pick(a text[], x double precision) RETURNS text
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS
$$ SELECT a[1 + floor(x * array_length(a, 1))::int] $$;

CREATE FUNCTION pg_temp.ascii_lower(s text) RETURNS text
LANGUAGE sql IMMUTABLE AS
$$ SELECT translate(lower(s), 'ăâîșşțţ ', 'aaisstt') $$;

-- A tiny but well-formed one-page PDF showing two lines of text.
CREATE FUNCTION pg_temp.pdf(line1 text, line2 text) RETURNS bytea
LANGUAGE sql IMMUTABLE AS $$
  SELECT convert_to(
    '%PDF-1.4' || chr(10) ||
    '1 0 obj <</Type/Catalog/Pages 2 0 R>> endobj' || chr(10) ||
    '2 0 obj <</Type/Pages/Kids[3 0 R]/Count 1>> endobj' || chr(10) ||
    '3 0 obj <</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]/Resources<</Font<</F1 4 0 R>>>>/Contents 5 0 R>> endobj' || chr(10) ||
    '4 0 obj <</Type/Font/Subtype/Type1/BaseFont/Helvetica>> endobj' || chr(10) ||
    '5 0 obj <</Length ' || length(s) || '>>' || chr(10) || 'stream' || chr(10) || s || chr(10) ||
    'endstream endobj' || chr(10) ||
    'trailer <</Root 1 0 R>>' || chr(10) || '%%EOF' || chr(10), 'UTF8')
  FROM (SELECT 'BT /F1 16 Tf 72 770 Td (' || translate(line1, 'ăâîșşțţĂÂÎȘŞȚŢ()\', 'aaissttAAISSTT   ') ||
               ') Tj 0 -24 Td /F1 11 Tf (' || translate(line2, 'ăâîșşțţĂÂÎȘŞȚŢ()\', 'aaissttAAISSTT   ') ||
               ') Tj ET' AS s) t
$$;

CREATE TEMP TABLE params AS
SELECT :warranties::int AS w,
       greatest(40, :warranties / 5)::int AS partners,
       greatest(6, least(72, :warranties / 2000))::int AS dealers,
       greatest(80, :warranties / 3)::int AS people;

-- Lists -------------------------------------------------------------------

CREATE TEMP TABLE town AS
SELECT * FROM unnest(
  ARRAY['București','Cluj-Napoca','Timișoara','Iași','Constanța','Craiova','Brașov','Galați',
        'Ploiești','Oradea','Brăila','Arad','Pitești','Sibiu','Bacău','Târgu Mureș','Baia Mare',
        'Buzău','Botoșani','Satu Mare','Râmnicu Vâlcea','Suceava','Piatra Neamț',
        'Drobeta-Turnu Severin','Focșani','Târgu Jiu','Tulcea','Slatina','Bistrița','Alba Iulia',
        'Deva','Zalău','Sfântu Gheorghe','Slobozia','Călărași','Giurgiu','Alexandria','Târgoviște',
        'Reșița','Miercurea Ciuc','Vaslui','Voluntari','Florești','Ghiroda','Sânmartin','Bragadiru',
        'Mioveni','Cisnădie','Hârlău','Măcin'],
  ARRAY['București','Cluj','Timiș','Iași','Constanța','Dolj','Brașov','Galați',
        'Prahova','Bihor','Brăila','Arad','Argeș','Sibiu','Bacău','Mureș','Maramureș',
        'Buzău','Botoșani','Satu Mare','Vâlcea','Suceava','Neamț',
        'Mehedinți','Vrancea','Gorj','Tulcea','Olt','Bistrița-Năsăud','Alba',
        'Hunedoara','Sălaj','Covasna','Ialomița','Călărași','Giurgiu','Teleorman','Dâmbovița',
        'Caraș-Severin','Harghita','Vaslui','Ilfov','Cluj','Timiș','Bihor','Ilfov',
        'Argeș','Sibiu','Iași','Tulcea'],
  ARRAY['03','40','30','70','90','20','50','80','10','41','81','31','11','55','60','54','43',
        '12','71','44','24','72','61','22','62','21','82','23','42','51','33','45','52','92','91',
        '08','14','13','32','53','73','07','40','30','41','07','11','55','70','82']
) WITH ORDINALITY AS t(loc, judet, cp, idx);

CREATE TEMP TABLE model AS
SELECT * FROM unnest(
  ARRAY['TRK-4410','TRK-5520','TRK-MS260','TRK-FS410','AGM-G3000','AGM-G6500E','AGM-WP30',
        'AGM-AT600','NRD-LM46','NRD-LM53','NRD-RT92','NRD-SB60','CRP-TC25','CRP-TC40','CRP-RM12',
        'VLT-HD18','VLT-CS2200','VLT-PW150','BRV-SP16','BRV-BC520'],
  ARRAY['Tarkon','Tarkon','Tarkon','Tarkon','Agrimec','Agrimec','Agrimec','Agrimec','Nordhaus',
        'Nordhaus','Nordhaus','Nordhaus','Carpatica Motor','Carpatica Motor','Carpatica Motor',
        'Volta Tools','Volta Tools','Volta Tools','Bravia','Bravia'],
  ARRAY['Motocultoare','Motocultoare','Drujbe','Motocoase','Generatoare','Generatoare','Motopompe',
        'Atomizoare','Mașini de tuns iarbă','Mașini de tuns iarbă','Tractorașe','Freze zăpadă',
        'Tractoare','Tractoare','Remorci','Scule electrice','Drujbe','Aparate de spălat',
        'Pompe de stropit','Motocoase'],
  ARRAY['Motocultor Tarkon T4410 7 CP','Motocultor Tarkon T5520 9 CP diesel',
        'Drujbă Tarkon MS260 2,6 kW','Motocoasă Tarkon FS410 1,9 kW',
        'Generator Agrimec G3000 3 kW','Generator Agrimec G6500E 6,5 kW pornire electrică',
        'Motopompă Agrimec WP30 3 țoli','Atomizor Agrimec AT600 14 l',
        'Mașină de tuns iarbă Nordhaus LM46 autopropulsată','Mașină de tuns iarbă Nordhaus LM53',
        'Tractoraș de tuns iarbă Nordhaus RT92','Freză de zăpadă Nordhaus SB60',
        'Tractor Carpatica TC25 25 CP 4x4','Tractor Carpatica TC40 40 CP 4x4',
        'Remorcă basculabilă Carpatica RM12 1,2 t','Ciocan rotopercutor Volta HD18',
        'Drujbă electrică Volta CS2200','Aparat de spălat cu presiune Volta PW150',
        'Pompă de stropit Bravia SP16 cu acumulator','Motocoasă Bravia BC520']
) WITH ORDINALITY AS t(prefix, producator, grupa, denumire, idx);

-- People and firms: the end customers. The first "partners" of them buy
-- directly from the distributor; the others buy from dealers.
CREATE TEMP TABLE client AS
WITH cand AS (
  SELECT i,
         pg_temp.r(i, 1) < 0.35 AS juridic,
         pg_temp.pick(ARRAY['Popescu','Ionescu','Popa','Pop','Radu','Dumitru','Stan','Stoica',
           'Gheorghe','Matei','Ciobanu','Rusu','Mihai','Munteanu','Constantin','Marin','Lazăr',
           'Florea','Dinu','Tudor','Ene','Barbu','Moldovan','Nistor','Oprea','Sârbu','Dobre',
           'Cristea','Toma','Georgescu','Anghel','Vlad','Neagu','Bălan','Ungureanu','Preda',
           'Voicu','Manole','Coman','Năstase','Crăciun','Mocanu','Lungu','Iordache','Zamfir',
           'Roman','Suciu','Avram','Căpraru','Bucur'], pg_temp.r(i, 2)) AS surname,
         pg_temp.pick(ARRAY['Ion','Gheorghe','Vasile','Constantin','Nicolae','Mihai','Andrei',
           'Alexandru','Florin','Dumitru','Ștefan','Marian','Cristian','Adrian','Bogdan','Răzvan',
           'Sorin','Lucian','Cătălin','Ionuț','Petru','Radu','Marius','Daniel','Dragoș','Tudor',
           'Maria','Elena','Ioana','Ana','Mihaela','Andreea','Cristina','Gabriela','Alina',
           'Raluca','Simona','Daniela','Georgiana','Roxana','Camelia','Luminița','Florentina',
           'Adriana'], pg_temp.r(i, 3)) AS first,
         pg_temp.pick(ARRAY['Agro','Silva','Construct','Prod','Trans','Impex','Serv','Com',
           'Ferma','Grup','Tehno','Verde'], pg_temp.r(i, 4)) AS activity,
         pg_temp.pick(ARRAY['SC %s %s SRL','SC %s %s SRL','SC %s %s SRL','%s %s SRL',
           'SC %s %s SA','II %s %s','PFA %s %s'], pg_temp.r(i, 5)) AS form,
         1 + floor(pg_temp.r(i, 6) * 50)::int AS town_idx,
         pg_temp.pick(ARRAY['Str. Mihai Eminescu','Str. Republicii','Bd. Independenței',
           'Str. Florilor','Str. Libertății','Calea Victoriei','Str. Avram Iancu',
           'Str. Mihai Viteazu','Str. Gării','Str. Primăverii','Str. Morii','Str. Unirii',
           'Str. Câmpului','Str. Ștefan cel Mare','Str. Horea','Str. Decebal','Str. Trandafirilor',
           'Str. Zorilor','Str. Bisericii','Str. Principală'], pg_temp.r(i, 7))
           || ' nr. ' || (1 + floor(pg_temp.r(i, 8) * 180)::int)
           || CASE WHEN pg_temp.r(i, 9) < 0.2
                   THEN ', bl. ' || (1 + floor(pg_temp.r(i, 10) * 40)::int) || ', ap. ' || (1 + floor(pg_temp.r(i, 11) * 60)::int)
                   ELSE '' END AS street,
         pg_temp.r(i, 12) AS rphone,
         pg_temp.r(i, 13) AS rmail
  FROM generate_series(1, (SELECT people FROM params)) i
), named AS (
  SELECT c.*,
         CASE WHEN juridic
              THEN CASE WHEN form LIKE 'II%' OR form LIKE 'PFA%'
                        THEN format(form, surname, first)
                        ELSE format(form, activity, surname) END
              ELSE surname || ' ' || first END AS display
  FROM cand c
)
SELECT n.i AS idx, n.juridic, n.display, n.surname, n.first,
       CASE WHEN row_number() OVER (PARTITION BY n.display ORDER BY n.i) = 1 THEN n.display
            ELSE n.display || ' (' || row_number() OVER (PARTITION BY n.display ORDER BY n.i) || ')' END
         AS partner_name,
       n.street, t.loc, t.judet,
       t.cp || lpad(floor(n.rphone * 10000)::int::text, 4, '0') AS cod_postal,
       CASE WHEN n.juridic AND n.rphone < 0.3
            THEN '02' || (30 + floor(n.rphone * 200)::int) || ' ' || lpad(floor(n.rmail * 1000000)::int::text, 6, '0')
            ELSE '07' || (20 + floor(n.rphone * 70)::int) || lpad(floor(pg_temp.r(n.i, 14) * 1000000)::int::text, 6, '0') END
         AS telefon,
       CASE WHEN n.rmail < 0.18 THEN NULL
            WHEN n.juridic THEN 'office@' || pg_temp.ascii_lower(n.activity || n.surname) || '.ro'
            ELSE pg_temp.ascii_lower(n.first) || '.' || pg_temp.ascii_lower(n.surname)
                 || CASE WHEN n.rmail < 0.5 THEN (n.i % 90 + 10)::text ELSE '' END
                 || pg_temp.pick(ARRAY['@gmail.com','@yahoo.com','@yahoo.ro','@outlook.com'], pg_temp.r(n.i, 15)) END
         AS email
FROM named n JOIN town t ON t.idx = n.town_idx;
ALTER TABLE client ADD PRIMARY KEY (idx);

CREATE TEMP TABLE dealer AS
SELECT k AS idx,
       'SC ' || (ARRAY['Motoagro','Agrotehnica','Unimat','Tehnoforest','Agromec','Grădina Verde','Mecanica','Tractorul'])[1 + (k - 1) % 8]
       || ' ' || (ARRAY['Banat','Ardeal','Moldova','Dobrogea','Oltenia','Muntenia','Bucovina','Crișana','Maramureș'])[1 + (k - 1) / 8 % 9]
       || ' SRL' AS name
FROM generate_series(1, (SELECT dealers FROM params)) k;

INSERT INTO partener (partener, este_dealer)
SELECT partner_name, false FROM client WHERE idx <= (SELECT partners FROM params)
UNION ALL
SELECT name, true FROM dealer;

-- Invoices: about W documents of 1 to 5 lines, dated in order over
-- 2020-06-01 .. 2025-12-31; a third go to dealers.
CREATE TEMP TABLE doc AS
SELECT d,
       date '2020-06-01' + floor((d - 1) * 2040.0 / p.w)::int AS data_doc,
       1 + floor(pg_temp.r(d, 20) * 5)::int AS lines,
       pg_temp.r(d, 21) < 1.0 / 3 AS to_dealer,
       1 + floor(pg_temp.r(d, 22) * p.dealers)::int AS dealer_idx,
       1 + floor(pg_temp.r(d, 23) * p.partners)::int AS client_idx,
       1 + floor(pg_temp.r(d, 25) * 8)::int AS scv
FROM params p, generate_series(1, (SELECT w FROM params)) d;

CREATE TEMP TABLE unit AS
SELECT row_number() OVER (ORDER BY x.d, x.line) AS u, x.*
FROM (
  SELECT doc.*, line,
         CASE WHEN to_dealer THEN 'FACT'
              WHEN NOT c.juridic AND pg_temp.r(doc.d, 24) < 0.3 THEN 'BF'
              ELSE 'FACT' END AS tip_doc,
         CASE WHEN to_dealer THEN dl.name ELSE c.partner_name END AS partener,
         c.juridic
  FROM doc
  CROSS JOIN LATERAL generate_series(1, doc.lines) line
  LEFT JOIN client c ON c.idx = doc.client_idx
  LEFT JOIN dealer dl ON dl.idx = doc.dealer_idx
) x;
ALTER TABLE unit ADD COLUMN model_idx int, ADD COLUMN articol text, ADD COLUMN nr_doc text;
UPDATE unit SET model_idx = 1 + floor(pg_temp.r(u, 30) * 20)::int,
                nr_doc = CASE WHEN tip_doc = 'BF' THEN 'BF' || lpad(d::text, 6, '0')
                              ELSE 'VRN' || lpad(d::text, 7, '0') END;
UPDATE unit SET articol = m.prefix || '-SN' || lpad(u::text, 8, '0') FROM model m WHERE m.idx = model_idx;
ALTER TABLE unit ADD PRIMARY KEY (u);

INSERT INTO articol (articol, producator, grupa_articol, denumire)
SELECT unit.articol, m.producator, m.grupa, m.denumire || ', serie ' || substr(unit.articol, length(m.prefix) + 2)
FROM unit JOIN model m ON m.idx = unit.model_idx ORDER BY u;

INSERT INTO factura_linie (data_doc, tip_doc, nr_doc, partener, scv, articol, cant)
SELECT data_doc, tip_doc, nr_doc, partener, scv, articol, 1 FROM unit ORDER BY u;

-- Warranties --------------------------------------------------------------

-- W units sold to end customers, then about W/20 dealer units, then a few
-- whose unit is missing from articol. About 1% of the other customer units
-- come back (a return line, so they show twice in the view).
CREATE TEMP TABLE chosen AS
SELECT u, false AS dealer FROM (
  SELECT u FROM unit WHERE NOT to_dealer ORDER BY pg_temp.r(u, 40) LIMIT (SELECT w FROM params)) a
UNION ALL
SELECT u, true FROM (
  SELECT u FROM unit WHERE to_dealer ORDER BY pg_temp.r(u, 41) LIMIT (SELECT round(w * 0.05)::int FROM params)) b;

INSERT INTO factura_linie (data_doc, tip_doc, nr_doc, partener, scv, articol, cant)
SELECT data_doc + 5 + floor(pg_temp.r(u, 42) * 25)::int, 'STORNO', 'VRS' || lpad(u::text, 7, '0'),
       partener, scv, articol, -1
FROM unit
WHERE NOT to_dealer AND pg_temp.r(u, 43) < 0.01 AND u NOT IN (SELECT u FROM chosen)
ORDER BY u;

CREATE TEMP TABLE g AS
SELECT c.u AS k, c.dealer, un.articol, un.data_doc, un.nr_doc, un.dealer_idx,
       CASE WHEN c.dealer THEN 1 + floor(pg_temp.r(c.u, 50) * p.people)::int ELSE un.client_idx END AS client_idx,
       CASE WHEN c.dealer THEN un.data_doc + 10 + floor(pg_temp.r(c.u, 51) * 140)::int
            ELSE un.data_doc + floor(pg_temp.r(c.u, 51) * 21)::int END AS data_garantie
FROM chosen c JOIN unit un ON un.u = c.u, params p
UNION ALL
SELECT 10000000 + k, false, m.prefix || '-SN9' || lpad(k::text, 7, '0'),
       date '2021-03-01' + floor(pg_temp.r(k, 52) * 1500)::int, 'VRN9' || lpad(k::text, 6, '0'), 1,
       1 + floor(pg_temp.r(k, 53) * p.partners)::int,
       date '2021-03-01' + floor(pg_temp.r(k, 52) * 1500)::int + 3
FROM params p, generate_series(1, greatest(2, (SELECT w FROM params) / 1000)) k
JOIN model m ON m.idx = 1 + k % 20;

INSERT INTO e_scop_achizitie (scop_achizitie) VALUES
  ('Uz personal'), ('Uz profesional'), ('Revanzare'), ('Inchiriere'),
  ('Uz agricol'), ('Constructii'), ('Transport'), ('Service');

INSERT INTO e_garantii (articol, data_garantie, nr_garantie, client_data_fact, client_nr_fact,
  client_data_livrare, client_proprietar, este_pers_juridica, client_utilizator, client_strada_nr,
  client_localitate, client_judet, client_tara, client_cod_postal, client_telefon, client_email,
  scop_achizitie, obs_garantie, dealer_nou, data_fact_pt_dealer_nou, nr_fact_pt_dealer_nou, data_ins)
SELECT g.articol,
       g.data_garantie,
       'G-' || extract(year FROM g.data_garantie) || '-'
         || lpad(row_number() OVER (PARTITION BY extract(year FROM g.data_garantie) ORDER BY g.data_garantie, g.k)::text, 6, '0'),
       CASE WHEN g.dealer THEN g.data_garantie - floor(pg_temp.r(g.k, 60) * 4)::int ELSE g.data_doc END,
       CASE WHEN g.dealer THEN 'F' || upper(substr(pg_temp.ascii_lower(dl.name), 4, 3)) || lpad(floor(pg_temp.r(g.k, 61) * 99999)::int::text, 5, '0')
            ELSE g.nr_doc END,
       g.data_garantie + floor(pg_temp.r(g.k, 62) * 8)::int,
       c.display,
       CASE WHEN pg_temp.r(g.k, 63) < 0.03 THEN NULL ELSE c.juridic END,
       CASE WHEN c.juridic AND pg_temp.r(g.k, 64) < 0.6 THEN u.surname || ' ' || u.first
            WHEN NOT c.juridic AND pg_temp.r(g.k, 64) < 0.7 THEN c.display END,
       c.street, c.loc, c.judet,
       CASE WHEN pg_temp.r(g.k, 65) < 0.01 THEN 'Republica Moldova' ELSE 'Romania' END,
       c.cod_postal, c.telefon, c.email,
       CASE WHEN g.k % 97 = 0 THEN 'Uz gospodaresc'
            WHEN pg_temp.r(g.k, 66) < 0.02 THEN NULL
            WHEN c.juridic THEN pg_temp.pick(ARRAY['Uz profesional','Uz profesional','Uz agricol','Constructii',
              'Transport','Inchiriere','Service','Revanzare'], pg_temp.r(g.k, 67))
            ELSE pg_temp.pick(ARRAY['Uz personal','Uz personal','Uz personal','Uz agricol','Uz agricol',
              'Uz profesional'], pg_temp.r(g.k, 67)) END,
       CASE WHEN pg_temp.r(g.k, 68) < 0.15 THEN pg_temp.pick(ARRAY['Client fidel',
              'Montaj efectuat de dealer','Predat cu proces verbal','Punere in functiune la client',
              'Revizie gratuita dupa 50 ore','Garantie extinsa discutata cu clientul',
              'Livrare prin curier','Clientul a refuzat instruirea'], pg_temp.r(g.k, 69)) END,
       nd.name,
       CASE WHEN nd.name IS NOT NULL THEN g.data_doc + 3 + floor(pg_temp.r(g.k, 71) * 37)::int END,
       CASE WHEN nd.name IS NOT NULL THEN 'VRN' || lpad((8000000 + g.k)::text, 7, '0') END,
       g.data_garantie + make_interval(secs => 28800 + floor(pg_temp.r(g.k, 72) * 36000)
                                              + floor(pg_temp.r(g.k, 73) * 1000000) / 1000000.0)
FROM g
JOIN client c ON c.idx = g.client_idx
JOIN client u ON u.idx = 1 + (g.client_idx * 7919) % (SELECT people FROM params)
LEFT JOIN dealer dl ON g.dealer AND dl.idx = g.dealer_idx
LEFT JOIN dealer nd ON g.dealer AND pg_temp.r(g.k, 70) < 0.3
                    AND nd.idx = 1 + (g.dealer_idx + 1 + floor(pg_temp.r(g.k, 74) * 3)::int) % (SELECT dealers FROM params)
ORDER BY g.k;

-- Documents: about 12% of warranties have one, 3% a second.
INSERT INTO e_garantii_doc (articol, data_ins, nume_doc, data_doc, extensie_doc, continut_doc, obs)
SELECT e.articol,
       e.data_ins + make_interval(days => n * 2, secs => 600 + floor(pg_temp.r(k, 80 + n) * 1000000) / 1000000.0),
       x.nume, e.data_garantie + n - 1, x.ext,
       CASE WHEN x.ext = 'pdf' THEN pg_temp.pdf(x.nume, e.client_proprietar || ', ' || e.articol)
            ELSE convert_to(x.nume || chr(10) || e.client_proprietar || chr(10) || e.articol || chr(10), 'UTF8') END,
       CASE WHEN pg_temp.r(k, 84) < 0.2 THEN 'Scanat la receptie' END
FROM (SELECT row_number() OVER (ORDER BY articol) AS k, * FROM e_garantii) e
CROSS JOIN LATERAL (VALUES (1), (2)) AS v(n)
CROSS JOIN LATERAL (SELECT CASE floor(pg_temp.r(e.k, 85 + v.n) * 4)::int
                             WHEN 0 THEN 'Certificat garantie ' || e.nr_garantie
                             WHEN 1 THEN 'Factura ' || e.client_nr_fact
                             WHEN 2 THEN 'Proces verbal punere in functiune'
                             ELSE 'Fisa service' END AS nume,
                           CASE WHEN pg_temp.r(e.k, 87 + v.n) < 0.8 THEN 'pdf' ELSE 'txt' END AS ext) x
WHERE (v.n = 1 AND pg_temp.r(e.k, 90) < 0.12) OR (v.n = 2 AND pg_temp.r(e.k, 90) < 0.03);

-- Extensions: about 8% of the warranties older than mid-2024, a few twice;
-- half of the extensions carry a contract document.
INSERT INTO e_garantii_ext (articol, data_ins, data_garantie_ext, nr_garantie_ext, obs_garantie_ext)
SELECT e.articol,
       e.data_ins + make_interval(days => 300 * n + floor(pg_temp.r(k, 100 + n) * 200)::int,
                                  secs => floor(pg_temp.r(k, 102 + n) * 1000000) / 1000000.0),
       e.data_garantie + make_interval(years => 1 + n),
       'GE-' || extract(year FROM e.data_garantie) || '-' || lpad((k * 10 + n)::text, 6, '0'),
       CASE WHEN pg_temp.r(k, 105) < 0.5 THEN 'Extensie ' || 12 * (1 + n) || ' luni conform contract service' END
FROM (SELECT row_number() OVER (ORDER BY articol) AS k, * FROM e_garantii
      WHERE data_garantie < date '2024-06-01') e
CROSS JOIN LATERAL (VALUES (1), (2)) AS v(n)
WHERE (v.n = 1 AND pg_temp.r(e.k, 106) < 0.08) OR (v.n = 2 AND pg_temp.r(e.k, 106) < 0.015);

INSERT INTO e_garantii_ext_doc (articol, data_ins, data_ins_gar_ext, nume_doc, data_doc, extensie_doc, continut_doc, obs)
SELECT x.articol, x.data_ins,
       x.data_ins + make_interval(secs => 180 + floor(pg_temp.r(k, 110) * 1000000) / 1000000.0),
       'Contract extensie ' || x.nr_garantie_ext, x.data_ins::date, 'pdf',
       pg_temp.pdf('Contract extensie ' || x.nr_garantie_ext, x.articol || ', valabil pana la ' || x.data_garantie_ext),
       NULL
FROM (SELECT row_number() OVER (ORDER BY articol, data_ins) AS k, * FROM e_garantii_ext) x
WHERE pg_temp.r(x.k, 111) < 0.5;

-- Sign-in ------------------------------------------------------------------

INSERT INTO emitent (emitent, emitent_corect, este_emitent, este_operator, operator_parola, functie,
                     eu_punct_lucru, loc, moneda, data_ins, em_email_adr, tel_mobil, lang, rol_win, discontinued)
VALUES
  ('demo', 'Demo Operator', true, true, 'demo', 'Operator garantii', 'Sediu', 'Cluj-Napoca', 'RON',
   date '2020-05-15', 'demo@varnok.ro', '0744123456', 'ro', 'admin', false),
  ('ana.pop', 'Pop Ana', true, true, 'ana2024', 'Referent service', 'Sediu', 'Cluj-Napoca', 'RON',
   date '2021-02-01', 'ana.pop@varnok.ro', '0745987654', 'ro', 'operator', false),
  ('ion.marin', 'Marin Ion', false, true, 'marin', 'Agent vanzari', 'Depozit Turda', 'Turda', 'RON',
   date '2019-09-10', NULL, '0733111222', 'ro', NULL, true),
  ('service', 'Service extern', false, true, 'service', 'Tehnician', 'Atelier', 'Cluj-Napoca', 'RON',
   date '2022-11-03', NULL, NULL, 'ro', NULL, false);

INSERT INTO aplicatie_mob (aplicatie_mob, activ, obs) VALUES
  ('Varnok', true, 'Registrul de garantii'),
  ('QelMobil', true, 'Aplicatia agentilor de vanzari'),
  ('Rapoarte', false, 'Scoasa din uz');

INSERT INTO aplicatie_mob_emitent (aplicatie_mob, emitent, rol) VALUES
  ('Varnok', 'demo', 'admin'),
  ('Varnok', 'ana.pop', 'operator'),
  ('QelMobil', 'ion.marin', 'agent'),
  ('Rapoarte', 'service', 'citire');

COMMIT;
ANALYZE;
