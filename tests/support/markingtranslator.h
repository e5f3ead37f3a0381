#ifndef MARKINGTRANSLATOR_H
#define MARKINGTRANSLATOR_H

// A translator that marks every text it is asked for as "<text>", so a test
// sees which texts went through translation. With a context given, only the
// texts of that context are marked.

#include <QByteArray>
#include <QTranslator>

class MarkingTranslator : public QTranslator {
public:
    explicit MarkingTranslator(const char* onlyContext = nullptr)
        : m_onlyContext(onlyContext)
    {
    }

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (!sourceText || !*sourceText)
            return QString();
        if (!m_onlyContext.isNull() && QByteArray(context) != m_onlyContext)
            return QString();
        return QStringLiteral("<") + QString::fromUtf8(sourceText) + QStringLiteral(">");
    }
    bool isEmpty() const override { return false; }

private:
    QByteArray m_onlyContext;
};

#endif
