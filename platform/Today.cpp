#include "platform/Today.h"

namespace platform {

namespace {
QDate& Override()
{
    static QDate date;
    return date;
}
} // namespace

QDate Today()
{
    return Override().isValid() ? Override() : QDate::currentDate();
}

void SetTodayOverride(const QDate& date)
{
    Override() = date;
}

} // namespace platform
