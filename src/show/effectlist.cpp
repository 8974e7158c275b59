#include "effectlist.h"

#include "platform/numbers.h"
#include "platform/textcodec.h"
#include "util/strutils.h"

#include <algorithm>

namespace show {

QStringList ReadEffectList(const QString& effectsIni) { return platform::readTextLines(effectsIni).value_or(QStringList()); }

int EffectCount(const QStringList& effectList) { return static_cast<int>(std::min<qsizetype>(effectList.size(), MaxEffectNumber)); }

int ClampEffect(int effect, const QStringList& effectList)
{
    const int count = EffectCount(effectList);
    if (count < 1) return 1;
    return std::clamp(effect, 1, count);
}

std::optional<Transition> TransitionAt(const QStringList& effectList, int n)
{
    if (n < 1 || n > effectList.size()) return std::nullopt;
    const QString& line = effectList[n - 1];
    const QString semi = QStringLiteral(";");
    int fields[5];
    for (int i = 0; i < 5; ++i) {
        const auto v = platform::parseInteger(GetWordAt(i + 1, line, semi));
        if (!v) return std::nullopt;
        fields[i] = *v;
    }
    return Transition{fields[0], fields[1], fields[2], fields[3], fields[4]};
}

} // namespace show
