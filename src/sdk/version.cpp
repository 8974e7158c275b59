#include "sdk/sdk.h"

namespace sdk {

int PX_VersionInfo(PxVersionInfo* info)
{
    if (!info) return PXERR_BADPARAM;
    *info = PxVersionInfo();
    info->Text = QStringLiteral("Quorbel imaging engine %1.%2").arg(info->Major).arg(info->Minor);
    return PX_SUCCESS;
}

} // namespace sdk
