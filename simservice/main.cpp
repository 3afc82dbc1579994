#include "simservice/simservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTime>
#include <QTimer>

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

bool readPort(const QString& text, quint16& port) {
    bool ok = false;
    const uint v = text.toUInt(&ok);
    if (!ok || v > 65535) return false;
    port = static_cast<quint16>(v);
    return true;
}

// "Q1,Q2,..."; an empty text is an empty list.
bool readPorts(const QString& text, QList<quint16>& ports) {
    ports.clear();
    if (text.isEmpty()) return true;
    for (const QString& item : text.split(u',')) {
        quint16 port = 0;
        if (!readPort(item.trimmed(), port)) return false;
        ports << port;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brelto-simservice"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The simulated quote service on 127.0.0.1: configuration, data servers, "
        "login, keep-alive with notices, log-out, web pages, the user servers of the "
        "members' live link (TCP) and fault control.\n"
        "While it runs, /sim/fault, /sim/scenario, /sim/login?force=STATUS, "
        "/sim/config?logintype=N, /sim/user (user-server modes: none, split, "
        "twoframes, silent, mute, drop, down, refusea, refuseb) and /sim/notice (notices "
        "and the \"LO\" answer) change its behaviour."));
    parser.addHelpOption();
    const QCommandLineOption httpPortOption(QStringLiteral("http-port"),
                                            QStringLiteral("HTTP port (0 picks a free one)."),
                                            QStringLiteral("port"), QStringLiteral("18631"));
    const QCommandLineOption userPortOption(
        QStringLiteral("user-port"),
        QStringLiteral("Port of the TCP user server the configuration names as userserver and "
                       "userport (0 picks a free one)."),
        QStringLiteral("port"), QStringLiteral("18632"));
    const QCommandLineOption userPortsOption(
        QStringLiteral("user-ports"),
        QStringLiteral("Ports of the user servers of the configuration's user list, separated by "
                       "commas; without it the list names the --user-port server alone."),
        QStringLiteral("ports"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the simulated market."),
                                        QStringLiteral("seed"), QStringLiteral("1"));
    const QCommandLineOption delayOption(
        QStringLiteral("fault-delay-ms"),
        QStringLiteral("How long the delay fault holds an answer back."), QStringLiteral("ms"),
        QStringLiteral("25000"));
    const QCommandLineOption loginTypeOption(
        QStringLiteral("login-type"),
        QStringLiteral("Logintype of the configuration: 0 lets anyone see the quotes, any other "
                       "number makes the main window's views need a login."),
        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption noAdvertOption(
        QStringLiteral("no-advert"),
        QStringLiteral("The configuration names no advert page (an empty botturl)."));
    const QCommandLineOption logRequestsOption(
        QStringLiteral("log-requests"),
        QStringLiteral("Writes every request served, with the time, to standard output."));
    parser.addOptions({httpPortOption, userPortOption, userPortsOption, seedOption, delayOption,
                       loginTypeOption, noAdvertOption, logRequestsOption});
    parser.process(app);

    QTextStream err(stderr);
    SimService::Options options;
    bool seedOk = false;
    bool delayOk = false;
    bool loginTypeOk = false;
    options.seed = parser.value(seedOption).toUInt(&seedOk);
    options.faultDelayMs = parser.value(delayOption).toInt(&delayOk);
    options.loginType = parser.value(loginTypeOption).toInt(&loginTypeOk);
    options.bottomAdvert = !parser.isSet(noAdvertOption);
    if (!readPort(parser.value(httpPortOption), options.httpPort) ||
        !readPort(parser.value(userPortOption), options.userPort) ||
        !readPorts(parser.value(userPortsOption), options.userPorts) || !seedOk || !delayOk ||
        !loginTypeOk || options.faultDelayMs < 0) {
        err << "brelto-simservice: ports are 0..65535, the seed, the delay and the login type "
               "whole numbers\n";
        return 2;
    }

    SimService service(options);
    if (!service.start()) {
        err << "brelto-simservice: cannot listen on 127.0.0.1:" << options.httpPort
            << " (HTTP) or on a user-server port\n";
        return 1;
    }

    QTextStream out(stdout);
    if (parser.isSet(logRequestsOption))
        QObject::connect(&service, &SimService::requestServed, &app, [&out](const QString& target) {
            out << "request " << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << ' ' << target
                << '\n';
            out.flush();
        });
    out << "seed: " << options.seed << '\n';
    out << "login type: " << options.loginType << " (switch: " << service.baseUrl()
        << "sim/config?logintype=1)\n";
    out << "config: " << service.configUrl() << '\n';
    out << "config (mirror): " << service.mirrorConfigUrl() << '\n';
    for (const QString& url : service.servedDataUrls())
        out << "data server: " << url << '\n';
    out << "fault control: " << service.baseUrl()
        << "sim/fault?path=/data1/get.shtml&endpoint=snapshot&mode=garbage (reset: "
        << service.baseUrl() << "sim/fault?reset=1)\n";
    out << "scenario: " << service.baseUrl()
        << "sim/scenario?snapshot=rows32&gaps=1&clock=2024-5-17%2005:58:00 (back to normal: "
           "snapshot=normal&gaps=0&clock=pc)\n";
    for (const quint16 port : service.userPorts())
        out << "user server: 127.0.0.1:" << port << '\n';
    out << "user server (userserver, userport): 127.0.0.1:" << service.userPort() << '\n';
    out << "user-server control: " << service.baseUrl()
        << "sim/user?mode=split (modes: none, split, twoframes, silent, mute, drop, down, "
           "refusea, refuseb; &port=P for one server; &accept=dash|ok; &drop=1)\n";
    out << "notices: " << service.baseUrl()
        << "sim/notice?kind=0&text=1... (reset=1 empties the board; lo=1 makes the next "
           "keep-alive answer LO)\n";
    out.flush();

    // The handler only raises a flag; the event loop notices it and shuts down in order.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &app, [] {
        if (stopRequested != 0) QCoreApplication::quit();
    });
    stopWatch.start(100);

    return app.exec();
}
