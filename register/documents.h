#pragma once

#include <QString>

class DataSet;
class QWidget;
class WarrantyDataSets;

// Files kept in the register's document tables (e_garantii_doc and
// e_garantii_ext_doc): nume_doc is the name the user gives, extensie_doc the
// extension without its dot, continut_doc the file's bytes as they were.

// The button in a warranty document's continut_doc cell: edits the current
// document (an empty list starts a new one; the dealer rules may refuse
// before any dialog), asks for a file and loads it. A cancelled dialog
// leaves the row being edited. Nothing is posted.
void attachWarrantyDocument(WarrantyDataSets &sets, QWidget *parent);

// The same for the current extension's documents; the document takes the
// extension's data_ins, to the microsecond, since that is what links them.
void attachExtensionDocument(WarrantyDataSets &sets, QWidget *parent);

// Sets extensie_doc and continut_doc of the row being edited from the file at
// path; a data set in browse mode is put into edit mode first (a file dropped
// onto a document grid). Throws Error when the file cannot be read.
void attachFile(DataSet &docs, const QString &path);
// attachFile on the extension documents, tied to the current extension.
void attachExtensionFile(WarrantyDataSets &sets, const QString &path);

// The part of the file's name from its last dot on, without the dot;
// folders don't count ("/x.y/scan" has none). "\" separates folders too.
QString extensionForDocument(const QString &fileName);

// The "Vizualizeaza document" buttons: writes the current document into the
// opened-documents folder as "<nume_doc>.<extensie_doc>", replacing a copy of
// the same name, and asks the desktop to open it without waiting.
void openDocument(DataSet &docs, QWidget *parent);

// Where a document of this name and extension is written inside folder.
// Throws Error, before anything is written, for a name that is not a plain
// file name there, and for a document the desktop would run as a program.
QString documentFilePath(const QString &folder, const QString &name, const QString &extension);

inline constexpr char noDocumentMessage[] = "Nu exista niciun document de vizualizat";
inline constexpr char invalidPathMessage[] = "Invalid characters in path";
// %1 is the extension, in capitals.
inline constexpr char executableDocumentMessage[] =
    "Documentele de tip %1 nu se deschid din registru, deoarece ar putea rula un program.";
