// The desktop's trash, laid out as freedesktop.org has it for every file
// manager: a deleted recording goes where the user can bring it back from.
//
// A file on the home file system goes to the home trash,
// $XDG_DATA_HOME/Trash (~/.local/share/Trash), as files/NAME with
// info/NAME.trashinfo telling its original path and the deletion time.
// A file on another file system goes to that file system's own trash,
// TOPDIR/.Trash-UID, since a trash never copies files across devices.
#pragma once

#include <string>

// Moves sPath into the trash under a name not taken there yet. False with
// a reason in *pError (when given) when the file is missing or cannot be
// moved; the file is then where it was.
bool MoveToTrash(const std::string& sPath, std::string* pError);

// What became of a file handed to RemoveFile.
enum class RemoveOutcome {
    Trashed,      // in the trash
    Deleted,      // no trash could take it: deleted for good
    AlreadyGone,  // there was no such file
    Failed,       // still there; see the error
};

// Moves sPath to the trash; deletes it outright only where no trash can be
// made for it (no home folder, a read-only or foreign file system root).
RemoveOutcome RemoveFile(const std::string& sPath, std::string* pError);

// Brings the file last trashed from sPath back to sPath: the newest entry of
// the trash MoveToTrash would use whose recorded path is sPath. False with a
// reason when there is none, or sPath is taken again.
bool RestoreFromTrash(const std::string& sPath, std::string* pError);
