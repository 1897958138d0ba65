-- Company ERP database: the tables and the view the warranty register uses.
-- Loaded as role qel, which therefore owns everything here.

-- Users of the company's programs.
CREATE TABLE emitent (
  emitent varchar(100) NOT NULL PRIMARY KEY,
  emitent_corect varchar(100),
  este_emitent boolean NOT NULL DEFAULT false,
  este_operator boolean NOT NULL DEFAULT false,
  este_comisionar boolean NOT NULL DEFAULT false,
  este_sofer boolean NOT NULL DEFAULT false,
  operator_parola varchar(256),
  cod_casier_pos varchar(10),
  banca_eu_default varchar(100),
  cont_banca_eu_default varchar(28),
  casa varchar(50),
  moneda varchar(3),
  magazie_sursa_default varchar(5),
  magazie_dest_default varchar(5),
  functie varchar(30),
  eu_punct_lucru varchar(50) NOT NULL DEFAULT '',
  com_int varchar(25),
  loc varchar(25),
  nr_obiect varchar(20),
  ci_nume varchar(30),
  ci_serie varchar(3),
  ci_nr varchar(25),
  ci_data_elib date,
  ci_elib varchar(25),
  cnp varchar(25),
  transport_mijloc varchar(25),
  transport_nr varchar(25),
  da_nu_schimbare_pl boolean NOT NULL DEFAULT false,
  da_nu_adaugare_partener boolean NOT NULL DEFAULT false,
  da_nu_adaugare_articol boolean NOT NULL DEFAULT false,
  da_nu_acces_la_politica_pret boolean NOT NULL DEFAULT false,
  da_nu_modif_data_listare boolean NOT NULL DEFAULT false,
  da_nu_acces_limita_creditare boolean NOT NULL DEFAULT false,
  prez_of_stoc_fact_cl boolean NOT NULL DEFAULT false,
  prez_of_stoc_av_exp boolean NOT NULL DEFAULT false,
  prez_of_stoc_bte boolean NOT NULL DEFAULT false,
  prez_of_stoc_bc boolean NOT NULL DEFAULT false,
  pret_fact_cl_cu_tva boolean NOT NULL DEFAULT false,
  da_nu_fact_pe_calc boolean NOT NULL DEFAULT false,
  da_nu_modif_nr_fact_pe_calc boolean NOT NULL DEFAULT false,
  da_nu_fact_autocopy boolean NOT NULL DEFAULT false,
  da_nu_aviz_autocopy boolean NOT NULL DEFAULT false,
  da_nu_modif_data_livrare boolean NOT NULL DEFAULT false,
  nr_zile_prezentare_doc integer,
  data_ins date NOT NULL DEFAULT current_date,
  da_nu_fact_ci_rosu boolean,
  em_email_adr varchar(50),
  tel_fix varchar(30),
  tel_mobil varchar(30),
  proc_comisionar double precision,
  em_outgoing_email_server varchar(50),
  em_outgoing_email_port integer,
  em_outgoing_email_secure boolean NOT NULL DEFAULT false,
  em_outgoing_email_user varchar(50),
  em_outgoing_email_psw varchar(50),
  em_outlook boolean NOT NULL DEFAULT false,
  lang varchar(15),
  rol_web varchar(25),
  rol_win varchar(25),
  web_theme varchar(25),
  discontinued boolean NOT NULL DEFAULT false,
  data_export timestamp(6) without time zone,
  data_import timestamp(6) without time zone,
  vede_pret_stoc boolean,
  da_nu_generare_op boolean NOT NULL DEFAULT false
);

-- Registered applications and who may use them.
CREATE TABLE aplicatie_mob (
  aplicatie_mob varchar(100) NOT NULL PRIMARY KEY,
  activ boolean NOT NULL,
  obs text
);

CREATE TABLE aplicatie_mob_emitent (
  aplicatie_mob varchar(100) NOT NULL,
  emitent varchar(100) NOT NULL,
  rol text,
  PRIMARY KEY (aplicatie_mob, emitent)
);

-- One row per sold article unit (the code carries the serial number).
CREATE TABLE articol (
  articol varchar(200) PRIMARY KEY,
  producator varchar(100),
  grupa_articol varchar(30),
  denumire text
);

CREATE TABLE partener (
  partener varchar(100) PRIMARY KEY,
  este_dealer boolean NOT NULL DEFAULT false
);

-- Invoice lines; a unit normally has one, a return adds a second.
CREATE TABLE factura_linie (
  id bigserial PRIMARY KEY,
  data_doc date NOT NULL,
  tip_doc varchar(7) NOT NULL,
  nr_doc varchar(15) NOT NULL,
  partener varchar(100) NOT NULL REFERENCES partener,
  scv integer,
  articol varchar(200) NOT NULL REFERENCES articol,
  cant double precision NOT NULL DEFAULT 1
);
CREATE INDEX factura_linie_articol ON factura_linie (articol);
CREATE INDEX factura_linie_data_doc ON factura_linie (data_doc);

-- Invoiced units, one row per invoice line. sum_cant is a scalar subquery
-- rather than a window so that joins on articol can reach the index.
CREATE VIEW view_unitati_facturate AS
SELECT f.data_doc,
       f.tip_doc,
       f.nr_doc,
       f.partener,
       f.scv,
       f.articol,
       f.cant,
       (SELECT sum(s.cant) FROM factura_linie s WHERE s.articol = f.articol) AS sum_cant,
       a.producator,
       a.grupa_articol,
       p.este_dealer
FROM factura_linie f
JOIN partener p ON p.partener = f.partener
JOIN articol a ON a.articol = f.articol;

-- Warranties. No foreign key to articol: warranties of units that are
-- missing there exist in real databases and must not break anything.
CREATE TABLE e_garantii (
  articol varchar(200) PRIMARY KEY,
  data_garantie date,
  nr_garantie text,
  client_data_fact date,
  client_nr_fact text,
  client_data_livrare date,
  client_proprietar text,
  este_pers_juridica boolean,
  client_utilizator text,
  client_strada_nr text,
  client_localitate text,
  client_judet text,
  client_tara text,
  client_cod_postal text,
  client_telefon text,
  client_email text,
  scop_achizitie varchar(200),
  obs_garantie text,
  dealer_nou text,
  data_fact_pt_dealer_nou date,
  nr_fact_pt_dealer_nou text,
  data_ins timestamp(6) without time zone DEFAULT clock_timestamp()
);

CREATE TABLE e_garantii_doc (
  articol varchar(200) NOT NULL,
  data_ins timestamp(6) without time zone NOT NULL DEFAULT clock_timestamp(),
  nume_doc text NOT NULL,
  data_doc date,
  extensie_doc varchar(10),
  continut_doc bytea,
  obs text,
  PRIMARY KEY (articol, data_ins)
);

CREATE TABLE e_garantii_ext (
  articol varchar(200) NOT NULL,
  data_ins timestamp(6) without time zone NOT NULL DEFAULT clock_timestamp(),
  data_garantie_ext date,
  nr_garantie_ext text,
  obs_garantie_ext text,
  PRIMARY KEY (articol, data_ins)
);

-- data_ins is the data_ins of the extension the document belongs to.
CREATE TABLE e_garantii_ext_doc (
  articol varchar(200) NOT NULL,
  data_ins timestamp(6) without time zone NOT NULL,
  data_ins_gar_ext timestamp(6) without time zone NOT NULL DEFAULT clock_timestamp(),
  nume_doc text,
  data_doc date,
  extensie_doc varchar(10),
  continut_doc bytea,
  obs text,
  PRIMARY KEY (articol, data_ins_gar_ext)
);
CREATE INDEX e_garantii_ext_doc_ext ON e_garantii_ext_doc (articol, data_ins);

CREATE TABLE e_scop_achizitie (
  scop_achizitie varchar(200) PRIMARY KEY
);
