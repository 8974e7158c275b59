#include "wizardpicture.h"

#include "productinfo.h"
#include "platform/files.h"

QPixmap LoadWizardPicture()
{
    const QString picture = ProductInfo.ProgramDir + QStringLiteral("recom\\") + ProductInfo.WizardPicture;
    QPixmap banner;
    if (const auto bytes = platform::readFile(picture, 16 * 1024 * 1024)) banner.loadFromData(*bytes);
    return banner;
}
