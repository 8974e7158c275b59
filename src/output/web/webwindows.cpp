#include "webwindows.h"

#include "htmlform.h"

#include "app/startup.h"

void RegisterWebWindows()
{
    RegisterWindowMaker(QStringLiteral("HTMLForm"), [] { return std::make_unique<THTMLForm>(); });
}
