-- The demo company, on the local company server.
-- Usage: psql -v company_port=NNNNN -f directory_demo.sql
INSERT INTO m_firma (nume_firma, ip, port, db_name, activ, m_site)
VALUES ('Demo', '127.0.0.1', :company_port, 'qel1', true, false);
