#include "remoteunderbench.h"

namespace {

constexpr int kShowTimeoutMs = 10000;
constexpr int kConnectTimeoutMs = 10000;

} // namespace

RemoteUnderBench::RemoteUnderBench(int &argc, char **argv)
    : prepared_(argc, argv)
    , app_(argc, argv)
{
}

bool RemoteUnderBench::show()
{
    return driver_.window() && driver_.showAndWaitUntilExposed(kShowTimeoutMs);
}

bool RemoteUnderBench::show(QPoint at)
{
    if (!show())
        return false;
    driver_.window()->move(at);
    return true;
}

QString RemoteUnderBench::connectToQuietCamera(const QString &address)
{
    RecordingPeer::Options options;
    options.address = address.toStdString();
    camera_ = std::make_unique<RecordingPeer>(options);
    return driver_.connectToStartedPeer(*camera_, address, kConnectTimeoutMs);
}
