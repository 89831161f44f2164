#pragma once

#include <QDate>

namespace platform {

// Today's date behind a seam, so that date ranges, reminders and day numbers can be tested on any day.
QDate Today();

// An invalid date restores the real clock.
void SetTodayOverride(const QDate& date);

} // namespace platform
