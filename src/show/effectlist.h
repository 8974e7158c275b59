#pragma once
// The transition list "Effects.ini": one transition per line, five integers separated by ";"
// (paint effect, delay, grain, maximum passes, wand size). Transition n is line n.
#include <QString>
#include <QStringList>
#include <optional>

namespace show {

inline constexpr int MaxEffectNumber = 127;

// The lines of the file; empty when it is missing.
QStringList ReadEffectList(const QString& effectsIni);

// The largest transition number the list allows (its line count, at most 127); 0 for an empty list.
int EffectCount(const QStringList& effectList);

// A transition number brought into 1..EffectCount (1 when the list is empty).
int ClampEffect(int effect, const QStringList& effectList);

struct Transition {
    int paintEffect = 0;
    int delay = 0;
    int grain = 0;
    int maxPasses = 0;
    int wandSize = 0;
};
// Transition n of the list; nullopt when there is no such line or it does not hold five integers.
std::optional<Transition> TransitionAt(const QStringList& effectList, int n);

} // namespace show
