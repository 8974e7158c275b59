#pragma once
// Case tables of the Windows-1252 code page (built once, independent of the host locale), a
// case-insensitive substring search and the token helpers that split separated lists.
#include <QString>
#include <QStringList>

bool CharIsLower(QChar c);
bool CharIsUpper(QChar c);
QChar CharToLower(QChar c);
QChar CharToUpper(QChar c);
QChar CharSwapCase(QChar c);

// 1-based position of sub in s at or after start, without regard to case; 0 when sub or s is
// empty, start is 0 or less, or sub cannot fit.
int StrFind(const QString& sub, const QString& s, int start);
// The characters of s from position n (1-based) to the end.
QString StrRestOf(const QString& s, int n);
// The rest of s behind the first case-insensitive occurrence of sub; empty when there is none.
QString StrAfter(const QString& sub, const QString& s);
// The part of s before the first sep, removed from s with the separator; all of s when there
// is none (s becomes empty).
QString StrToken(QString& s, QChar sep);
// Clears list and adds the tokens of s in order; a trailing empty token is dropped. Nothing
// when list is null.
void StrToStrings(QString s, QChar sep, QStringList* list);
