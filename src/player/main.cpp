// The show player. It lives in the show root beside "Settings.ini", "Language.ini" and the show
// folders. "TEST" plays the show saved most recently; without it every show plays in folder
// order. Installed as the screensaver and started with "/s", it plays the shows staged for the
// screensaver in the documents folder. QUORBEL_PLAYER_PLAN=<file> (or "-" for the standard
// output) writes the play plan and ends without a window.
#include "playerwindow.h"
#include "playplan.h"

#include "platform/drives.h"
#include "platform/folders.h"

#include <QApplication>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const QString root = player::ShowRootFor(platform::toWindowsPath(QCoreApplication::applicationFilePath()), arguments,
                                             platform::documentsFolder());
    player::Plan plan = player::ReadPlan(root, arguments);

    const QString planTarget = qEnvironmentVariable("QUORBEL_PLAYER_PLAN");
    if (!planTarget.isEmpty()) {
        const QByteArray text = player::PlanText(plan).toUtf8();
        if (planTarget == QLatin1String("-")) {
            std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
            return 0;
        }
        QSaveFile out(planTarget);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) return 1;
        return out.commit() ? 0 : 1;
    }

    player::PlayerWindow window(std::move(plan));
    window.start();
    return app.exec();
}
