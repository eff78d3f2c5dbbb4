#pragma once

#include <QString>

namespace zolvane2 {

// Renames a file without ever replacing another one: when newPath exists the
// rename fails with EEXIST, also when the name appears between a check and
// the rename. Returns 0 on success, else the errno of the failure.
[[nodiscard]] int RenameNoReplace(const QString& oldPath, const QString& newPath);

}  // namespace zolvane2
