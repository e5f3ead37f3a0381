#include "app/pagetexttyping.h"

#include "convert/pagelist.h"

#include <QLineEdit>
#include <QSignalBlocker>

void PageTextTyping::start(const QString& rowText)
{
    m_accepted = rowText;
    m_safe = rowText;
}

bool PageTextTyping::accept(const QString& text, int pageCount)
{
    m_accepted = text;
    const QString pages = text.trimmed();
    if (!utils::isPageTextValid(pages, pageCount, true) || pages.endsWith(QLatin1Char('-')))
        return false;
    m_safe = pages;
    return true;
}

// The field's own undo would take back all typing since it was filled, not
// just the refused keystroke.
void PageTextTyping::takeBack(QLineEdit* field, const QString& refused) const
{
    const int cursor = field->cursorPosition() - int(refused.size() - m_accepted.size());
    const QSignalBlocker blocker(field);
    field->setText(m_accepted);
    field->setCursorPosition(qBound(0, cursor, int(m_accepted.size())));
}
