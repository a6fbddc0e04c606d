#ifndef HALVORINE_STARTTESTSERVER_H
#define HALVORINE_STARTTESTSERVER_H

#include "rtsp_test_server.h"

#include <QTest>

// Starts an RtspTestServer inside a test function: skips where port 554 cannot be
// bound without root, fails with the server's own words on any other failure.
#define START_TEST_SERVER(server, ...)                                                                \
    do {                                                                                              \
        const RtspTestServer::Start started_ = (server).start(__VA_ARGS__);                           \
        if (started_ == RtspTestServer::Start::PortNeedsRoot)                                         \
            QSKIP("rtsp-test-server cannot bind port 554 without root (the stream URL carries no port)"); \
        QVERIFY2(started_ == RtspTestServer::Start::Ready, qPrintable((server).diagnostics()));       \
    } while (false)

#endif
