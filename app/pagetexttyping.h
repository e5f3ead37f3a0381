#ifndef PAGETEXTTYPING_H
#define PAGETEXTTYPING_H

#include <QString>

class QLineEdit;

// What has been typed so far into a field that edits a row's page list: the
// cell editor over "Selected Pages" and the page field under the preview.
// Each keystroke is checked leniently by the field, so a text still being
// typed ("1,3," or "5-1" on the way to "5-10") passes; this keeps the text
// that passed last, to take a refused keystroke back alone, and the latest
// text that names only pages that were typed (it passes the strict check
// and does not end in "-", which would run to the last page), where a
// refused finish goes back to. GUI thread only.
class PageTextTyping {
public:
    // Typing starts from the text the row has.
    void start(const QString& rowText);

    // text passed the field's lenient check. True when it names only typed
    // pages, so the row may take it before editing ends.
    bool accept(const QString& text, int pageCount);

    const QString& accepted() const { return m_accepted; }
    const QString& safe() const { return m_safe; }

    // After refused was typed: the field shows the accepted text again, the
    // cursor where it was before the refused keystroke.
    void takeBack(QLineEdit* field, const QString& refused) const;

private:
    QString m_accepted;
    QString m_safe;
};

#endif
