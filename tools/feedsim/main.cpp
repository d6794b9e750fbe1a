// feedsim: serves simulated news lists, disclosure lists, message boards and articles on
// 127.0.0.1 so the fetch cycle, the parsers and the demo run without the internet.

#include "Content.h"
#include "Encode.h"
#include "Server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

using namespace Feedsim;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("feedsim");

    QCommandLineParser cli;
    cli.setApplicationDescription(
        "Loopback simulator of the news portal and its feeds, the disclosure service and the\n"
        "message boards.\n"
        "Prints \"portal 127.0.0.1:PORT\" and \"tdnet 127.0.0.1:PORT\" on its first two lines.\n"
        "Fault modes: delay:MS hang 500 (any status) reset truncate huge:MB drip[:MS]\n"
        "wrongenc[:random] rows:N malformed baddate. Fault keys: a source code, tdnet (the\n"
        "disclosure list), board, feed, article, * or a path prefix such as /cp/tdnet.\n"
        "Feeds: /feeds/rss2|rss1|atom/CODE.xml[?n=N]. A request may also carry\n"
        "&fault=MODE and &enc=NAME. Control: /_feedsim/advance?minutes=N, /_feedsim/stats\n"
        "(?reset=1 clears), /_feedsim/now.");
    cli.addHelpOption();
    const QCommandLineOption port("port", "Port of the portal, boards and articles (0: any free).",
                                  "N", "0");
    const QCommandLineOption tdnetPort("tdnet-port", "Port of the disclosure service (0: any).",
                                       "M", "0");
    const QCommandLineOption seed("seed", "Seed of the generated content.", "S", "1");
    const QCommandLineOption encoding("encoding", "Page encoding: sjis, eucjp, utf8, iso2022jp.",
                                      "NAME", "sjis");
    const QCommandLineOption start("start", "Simulated start time, local (yyyy-MM-ddTHH:mm:ss).",
                                   "TIME");
    const QCommandLineOption rate("rate", "Average headlines per source per hour.", "N", "4");
    const QCommandLineOption frozen("frozen",
                                    "Simulated time moves only through /_feedsim/advance.");
    const QCommandLineOption fault("fault", "Fault for a key, repeatable: KEY=MODE.", "KEY=MODE");
    const QCommandLineOption tdnetLayout(
        "tdnet-layout",
        "Layout of the disclosure lists: today (the service's current pages) or classic (the "
        "older pages with comment markers around each row).",
        "LAYOUT", "today");
    cli.addOptions({port, tdnetPort, seed, encoding, start, rate, frozen, fault, tdnetLayout});
    cli.process(app);

    auto fail = [](const QString& message) {
        std::fprintf(stderr, "feedsim: %s\n", qPrintable(message));
        return 2;
    };
    bool okPort = false, okTdnet = false, okSeed = false, okRate = false;
    const uint portalPortValue = cli.value(port).toUInt(&okPort);
    const uint tdnetPortValue = cli.value(tdnetPort).toUInt(&okTdnet);
    const quint64 seedValue = cli.value(seed).toULongLong(&okSeed);
    const double rateValue = cli.value(rate).toDouble(&okRate);
    if (!okPort || !okTdnet || portalPortValue > 65535 || tdnetPortValue > 65535)
        return fail("bad port");
    if (!okSeed)
        return fail("bad seed");
    if (!okRate || rateValue < 0 || rateValue > 600)
        return fail("bad rate");
    PageEncoding enc;
    if (!ParseEncodingName(cli.value(encoding), enc))
        return fail("unknown encoding " + cli.value(encoding));
    const QString layoutName = cli.value(tdnetLayout);
    if (layoutName != "today" && layoutName != "classic")
        return fail("unknown layout " + layoutName);
    const TdnetLayout layout = layoutName == "classic" ? TdnetLayout::Classic : TdnetLayout::Today;
    QDateTime startTime = QDateTime::currentDateTime();
    if (cli.isSet(start)) {
        startTime = QDateTime::fromString(cli.value(start), Qt::ISODate);
        if (!startTime.isValid())
            return fail("bad start time " + cli.value(start));
    }

    SimClock clock(startTime, cli.isSet(frozen));
    Content content(seedValue, rateValue, clock, layout);
    Server server(content, clock, enc, seedValue);
    for (const QString& entry : cli.values(fault)) {
        FaultMode mode;
        const qsizetype eq = entry.indexOf('=');
        if (eq <= 0 || !ParseFault(entry.mid(eq + 1), mode))
            return fail("bad fault " + entry);
        server.SetFault(entry.left(eq), mode);
    }
    QString error;
    if (!server.Listen(quint16(portalPortValue), quint16(tdnetPortValue), error))
        return fail(error);
    std::printf("portal 127.0.0.1:%u\ntdnet 127.0.0.1:%u\n", server.PortalPort(),
                server.TdnetPort());
    std::fflush(stdout);
    return app.exec();
}
