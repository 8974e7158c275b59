#pragma once
// The wizard picture (ProductInfo.WizardPicture in the program's "recom\" folder) that the
// output windows show down their left side.
#include <QPixmap>

// The picture as read now; an empty picture when it is missing, too large or unreadable.
QPixmap LoadWizardPicture();
