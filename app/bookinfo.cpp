#include "app/bookinfo.h"

#include <tuple>

namespace {

auto fieldsOf(const BookInfo& info)
{
    return std::tie(info.title, info.author, info.isbn, info.publisher, info.publishDate,
                    info.series, info.seriesIndex, info.comments, info.coverPath);
}

} // namespace

bool operator==(const BookInfo& a, const BookInfo& b)
{
    return fieldsOf(a) == fieldsOf(b);
}

bool operator!=(const BookInfo& a, const BookInfo& b)
{
    return !(a == b);
}
