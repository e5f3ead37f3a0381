#include "convert/vuconsolethread.h"

#include <cctype>
#include <charconv>
#include <cstring>

namespace {

// The number at the start of text, as atof and atoi read it (leading blanks
// and a sign allowed, the rest ignored, 0 when there is none), but always
// with "." as the decimal point: the program's locale must not turn "37.5"
// into 37.
const char* numberStart(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    if (*text == '+' && text[1] != '-')
        ++text;
    return text;
}

double leadingReal(const char* text)
{
    const char* start = numberStart(text);
    double value = 0;
    if (std::from_chars(start, start + std::strlen(start), value).ec != std::errc())
        return 0;
    return value;
}

long long leadingInteger(const char* text)
{
    const char* start = numberStart(text);
    long long value = 0;
    if (std::from_chars(start, start + std::strlen(start), value).ec != std::errc())
        return 0;
    return value;
}

} // namespace

VuConsoleThread::VuConsoleThread(QObject* parent)
    : QThread(parent)
{
    connect(this, &QThread::finished, this, &VuConsoleThread::procFinished);
}

VuConsoleThread::~VuConsoleThread()
{
    if (isRunning()) {
        setCancel(true);
        wait();
    }
}

void VuConsoleThread::stop(bool quitAfterStop)
{
    m_quitAfterStop = quitAfterStop;
    m_stopRequested = true;
    setCancel(true);
}

void VuConsoleThread::parseProgressInfo(messageType type, char* text)
{
    if (type != progressMessage || !text)
        return;
    float value = 0;
    if (text[0] == ':') {
        value = static_cast<float>(leadingReal(text + 1));
    } else {
        // Without a total there is no percentage (and no division by zero).
        if (pageNumber <= 0)
            return;
        value = static_cast<float>(static_cast<double>(leadingInteger(text)) / pageNumber * 100.0);
        percent = value;
    }
    if (m_stopRequested)
        return;
    emit sglItemTaskProcess(m_row, static_cast<double>(value));
}

void VuConsoleThread::setSuccess(bool value)
{
    m_success = value;
}

bool VuConsoleThread::isSuccess()
{
    return m_success;
}

void VuConsoleThread::procFinished()
{
    emit sglTaskComplete(m_row, m_stopRequested, isSuccess());
}
