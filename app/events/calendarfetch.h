// A calendar the household gave by its address: fetched and read by a plugin,
// so that the network libraries and the iCalendar reader load with the first
// calendar, not at every start.
#pragma once

#include "events/eventformat.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtPlugin>

#include <functional>

class CalendarFetch
{
public:
    struct Limits
    {
        int timeoutMs = 20000;         // with no data arriving
        int totalMs = 60000;           // for the whole fetch
        int redirects = 5;             // followed, never from https to http
        qint64 maxBytes = 1024 * 1024; // the calendar file, as the event server's limit
    };

    struct Outcome
    {
        bool ok = false;
        QList<EventFormat::Record> records; // this year's events, when ok
        QStringList leftOut;                // events not taken, one line each
        QString failure;                    // a sentence for the page, when not ok
        QString reason;                     // the technical reason, for standard error
    };

    virtual ~CalendarFetch() = default;

    // Fetches url (https, or http once the household agreed) off the window's
    // thread, TLS verified against the system's certificates, and reads it as
    // the event server reads its files, for year. done is called once, on
    // context's thread, unless context is gone by then.
    virtual void fetch(const QUrl &url, int year, const Limits &limits, QObject *context,
                       std::function<void(const Outcome &)> done) const = 0;

    // The plugin, loaded on the first call; nullptr, and why in error, when
    // it cannot be loaded.
    static const CalendarFetch *load(QString *error = nullptr);
};

#define CalendarFetch_iid "org.viridio.CalendarFetch/1"
Q_DECLARE_INTERFACE(CalendarFetch, CalendarFetch_iid)
