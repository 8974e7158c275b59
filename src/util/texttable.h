#pragma once
// The texts the windows show, in the run's language, and the product's title: one table for the
// whole run. The program hands it to each window it makes, which reads its texts from it; code
// that is no window reads it through LangText. The start (src/app) fills it when it determines
// the product and reads the language's texts; until then every text is empty.
#include <QHash>
#include <QString>

namespace util {

class TextTable {
public:
    // The run's one table.
    static TextTable& instance();

    // Replaces the texts: number to text as stored, each with the first "$PRG_NAME$" (in any
    // case) replaced by productName.
    void setTexts(const QHash<int, QString>& stored, const QString& productName);
    void setTitle(const QString& title) { title_ = title; }

    // The text with this number, or an empty text when the table has none.
    QString text(int number) const { return texts_.value(number); }
    // The product's title ("Quorbel pro", "QZT Quorbel pro" or "Quorbelix pro"), or an empty text.
    const QString& title() const { return title_; }

private:
    QHash<int, QString> texts_;
    QString title_;
};

} // namespace util

// The text with this number in the run's language (from the run's table); empty when missing.
QString LangText(int number);
