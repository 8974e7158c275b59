#pragma once
// Result codes of the imaging engine, their message table and the two exception classes that
// the image control and the scanner component raise with those messages.
#include <QByteArray>
#include <QString>
#include <exception>

namespace sdk {

// Results every PX_ function gives: 1 is success, 0 and negative numbers are failures.
enum PxResult : int {
    PX_SUCCESS = 1,
    PX_FAILURE = 0,
    PXERR_NOMEMORY = -1,
    PXERR_BADBITMAP = -2,
    PXERR_SEEK = -4,
    PXERR_WRITE = -5,
    PXERR_READ = -7,
    PXERR_BADFILENAME = -8,
    PXERR_BADFORMAT = -9,
    PXERR_FILENOTFOUND = -10,
    PXERR_BADSIZE = -11,
    PXERR_SUBTYPE = -12,
    PXERR_BADPARAM = -13,
    PXERR_OPEN = -14,
    PXERR_UNSUPPORTED = -16,
    PXERR_QFACTOR = -21,
    PXERR_BADBITS = -27,
    PXERR_STOPPED = -29,       // stopped by the page limit of a load
    PXERR_EMPTY = -144,
    PXERR_ABORTED = -100,      // a callback returned 0: the user stopped the operation
};

// The message of a result code: the first range (1 down to -400) and the second range (-901 down
// to -916) come from the table; any other code gives "Undefined Error: " and the code.
QString ErrorCodeMessage(int code);

// "%s \nError code: %d\n%s: %s " with the component name, the code, the method name and the
// message of the code.
QString formatMethodError(const QString& componentName, int code, const QString& methodName);
// The scanner component's form: the name, "\nError code: ", the code, "\n", the method name, ": "
// and the message (no blank after the name, none at the end).
QString formatTwainError(const QString& componentName, int code, const QString& methodName);
// "%s \n<method>: Image not allocated." with the component name.
QString formatNotAllocated(const QString& componentName, const QString& methodName);

// The image control's exception: it carries only its message.
class EPixImageError : public std::exception {
public:
    explicit EPixImageError(QString message);
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// The scanner component's twin of EPixImageError.
class EPixTwainError : public std::exception {
public:
    explicit EPixTwainError(QString message);
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

} // namespace sdk
