#pragma once

#include <string>

namespace tarnwick {

// Where the database files are looked for. Beside the program, as always, when a database is
// there or could be put there; an installed program whose folder holds none and cannot be
// written keeps its analyses in the user's data folder instead, starting from a copy of the
// empty database shipped with it.
struct DataFolderChoice {
    std::string folder;          // ends with a path separator
    bool copiedShipped = false;  // the shipped empty database was copied there just now
    std::string failure;         // why the user's folder could not be prepared; else empty
};

// programFolder and userFolder end with a path separator. shippedDatabase is the empty
// database the package installs (it may be missing). programFolderWritable: whether this user
// may create files in the program folder (FolderWritable).
DataFolderChoice ChooseDataFolder(const std::string& programFolder, const std::string& userFolder,
                                  const std::string& shippedDatabase, bool programFolderWritable);
bool FolderWritable(const std::string& folder);

// The choice for a program started from programFolder (ending with a path separator): the
// user's data folder and the shipped database as an installed program finds them. The desktop
// program and the command line decide through this one function, so that both use one file.
DataFolderChoice ChooseProgramDataFolder(const std::string& programFolder);

// $XDG_DATA_HOME/tarnwick/, else $HOME/.local/share/tarnwick/; empty when neither is set.
std::string UserDataFolder();
// The empty database an installed program ships: <prefix>/share/tarnwick/vexodb.qdb for a
// program in <prefix>/bin/.
std::string ShippedDatabase(const std::string& programFolder);

}  // namespace tarnwick
