#include "showcontext.h"

#include "util/strutils.h"

namespace show {

QString ShowContext::ShowFolderPath() const { return ShowRoot + EnsureTrailingBackslash(ShowFolder); }

} // namespace show
