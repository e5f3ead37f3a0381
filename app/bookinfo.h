#ifndef BOOKINFO_H
#define BOOKINFO_H

#include <QString>

// The book information of one task, as it travels between a task row and
// the ePub information dialog. Field k lives in the row under role 79 + k
// (taskrow.h); the order of the fields is therefore part of the record.
struct BookInfo {
    QString title;        // "Name:", the book's title
    QString author;       // the creator
    QString isbn;         // the identifier
    QString publisher;
    QString publishDate;  // the date
    QString series;       // the subject
    int seriesIndex = 0;  // position in the dialog's series list; never reaches the book
    QString comments;     // the description
    QString coverPath;    // the cover picture, empty for none
};

bool operator==(const BookInfo& a, const BookInfo& b);
bool operator!=(const BookInfo& a, const BookInfo& b);

#endif
