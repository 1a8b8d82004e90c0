#pragma once
// Enabling and disabling plug-in files of any directory of the list, the one
// on show or another (the Duplicates window acts on copies in several
// directories at once). A directory not on show is changed through its
// stored catalogue, as the program holds it between two refreshes, which is
// saved at once; the one on show through the session's catalogue, whose
// observers are told.

#include "catalogue/DuplicateFinder.h"
#include "modify/CatalogueEditor.h"

#include <string>
#include <vector>

namespace vardel {

class CVardelSession;

// Enables (flag true) or disables the files at paths, each named as
// directory n's catalogue holds it, together with every plug-in of those
// files, through the catalogue editor and inside directory n's own
// directory. Refused as a whole, before anything is written, when the
// session may not write, n is no directory with a usable catalogue, a path
// is not in its catalogue, or a file is gone (its catalogue needs a
// refresh). A file that cannot be renamed (its other name is taken) is
// named in the message of an accepted result. The changed catalogue is saved;
// a failed save makes the result's message say so.
CommandResult SetFilesEnabled(CVardelSession& session, int n, const std::vector<std::string>& paths, bool flag);

// The same for one copy of a duplicate group in every directory that holds
// it (a file two directories reach changes in both catalogues). Stops at
// the first directory that refuses or names a file it could not rename, and
// returns that result; otherwise the last accepted one.
CommandResult SetCopyEnabled(CVardelSession& session, const DuplicateCopy& copy, bool flag);

}  // namespace vardel
