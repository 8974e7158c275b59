// libFuzzer target: the INI reader on a hand-edited file of any bytes, and a write into it that
// must keep every other line.
#include "platform/inifile.h"
#include "support/fuzzing.h"

using platform::IniFile;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzing::start(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString file = fuzzing::input(QStringLiteral("in.ini"), data, size);
    IniFile ini(file);
    const QStringList sections = ini.readSections();
    for (const QString& section : sections) {
        for (const QString& key : ini.readSection(section)) (void)ini.readInteger(section, key, 0);
        (void)ini.readSectionValues(section);
    }
    const QString section = sections.isEmpty() ? QStringLiteral("Show") : sections.first();
    const QString before = ini.readString(QStringLiteral("Other"), QStringLiteral("Key"), QStringLiteral("none"));
    if (!ini.writeString(section, QStringLiteral("Fuzz"), QStringLiteral("written"))) return 0;
    if (ini.readString(section, QStringLiteral("Fuzz")) != QStringLiteral("written")) __builtin_trap();
    // A write into one section changes no value of another (unless it is the same section).
    if (section.compare(QStringLiteral("Other"), Qt::CaseInsensitive) != 0
        && ini.readString(QStringLiteral("Other"), QStringLiteral("Key"), QStringLiteral("none")) != before)
        __builtin_trap();
    return 0;
}
