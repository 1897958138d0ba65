-- Company directory: one row per company the program can sign in to.
CREATE TABLE m_firma (
  nume_firma varchar(200) NOT NULL PRIMARY KEY,
  ip text,
  port integer,
  db_name text,
  activ boolean,
  m_site boolean NOT NULL DEFAULT false
);
