#pragma once
// The program's own database routines: the one connection string, the list of a database's user
// tables, filling the table page's list with them, and the test whether a column can be read.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Access {

// Where the connection string's path and password come from: the database page's two boxes,
// read afresh every time a string is built. The shell sets this once at start-up.
struct ConnectionInputs {
    std::function<std::string()> databasePath;
    std::function<std::string()> databasePassword;
};
void SetConnectionInputs(ConnectionInputs inputs);

// The list box FillTableList fills (the table page's List1 in the program).
class ListBox {
public:
    virtual ~ListBox() = default;
    virtual void Clear() = 0;
    virtual void AddItem(const std::string& text) = 0;
    virtual int ListCount() const = 0;
    virtual void SetListIndex(int index) = 0;
};

// "Provider=Microsoft.ACE.OLEDB.12.0;..." when the path ends in "accdb" (any case), else
// "PROVIDER=Microsoft.Jet.OLEDB.4.0;...", with path and password as they stand, but quoted when they
// hold ";" or begin with a quote (db::quotedValue).
std::string BuildConnectionString();

// The user tables ("TABLE") of the database, in catalog order; nullopt when no file exists at
// `path`. Throws db::Error when the database cannot be opened or read.
std::optional<std::vector<std::string>> ListTables(const std::string& path);

// Clears `list` and adds the tables, selecting the first; leaves it untouched when ListTables
// gives nothing. At most 32,767 names. Throws db::Error as ListTables does.
void FillTableList(ListBox& list, const std::string& path, const std::string& password);

// True when `path` names an existing file (a symbolic link to one counts) whose modification time
// can be read. Never fails: an empty path, one holding a NUL character, a folder, a missing file or
// a denied access all give false. The one test of "file exists", for the shell's FileExists too.
bool FileExists(const std::string& path);

// Whether the file at `path` may be written: it has a write permission (a file without any is
// read-only even for an administrator, as the engine holds) and opens for writing.
bool FileIsWritable(const std::string& path);

// Whether the database the page's boxes name may be written (FileIsWritable). A read-only file is
// still listed and previewed, opened for reading; the split then refuses it with one message.
bool DatabaseIsWritable();

// True when the column can be read from the table; every failure gives false.
bool ColumnExists(const std::string& table, const std::string& column);
// The same test on the database a given connection string names.
bool ColumnExists(const std::string& table, const std::string& column, const std::string& connectionString);

// A test of the text the database a connection string names can store: for an Access 97 file, whose
// text is in a code page, it gives why a text cannot be stored ("the character ... cannot be stored
// in code page 1252 (Western European)"), nullopt when it can. Empty (no test needed) for the
// later formats, which store every character, and when the database cannot be read.
using TextStorageTest = std::function<std::optional<std::string>(std::string_view)>;
TextStorageTest TextStorageTestFor(const std::string& connectionString);

} // namespace Access
