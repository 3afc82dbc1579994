#pragma once

#include "common/config.h"
#include "simservice/simservice.h"

#include <memory>

// A simulated service on free ports, with the configuration hosts pointing at it as the program
// finds them; null when it could not listen.
inline std::unique_ptr<SimService> startLocalService(SimService::Options options = {}) {
    options.httpPort = 0;
    auto service = std::make_unique<SimService>(options);
    if (!service->start())
        return nullptr;
    const QString host = QStringLiteral("127.0.0.1:%1").arg(service->httpPort());
    setConfigurationHosts({host, host, host});
    return service;
}
