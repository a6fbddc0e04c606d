// rtsp-test-server: a live test pattern over RTSP for the project's tests and
// benchmarks. See --help (server_options.cpp) for the command line and the
// event lines it prints, which tests read instead of sleeping.

#include "event_lines.h"
#include "launch_description.h"
#include "resize_schedule.h"
#include "sdp_parameter_sets.h"
#include "server_options.h"
#include "stream_probes.h"

#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>
#include <glib-unix.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

const char *clientIp(GstRTSPClient *client)
{
    auto *ip = static_cast<const char *>(g_object_get_data(G_OBJECT(client), "peer-ip"));
    return ip ? ip : "?";
}

void onClientClosed(GstRTSPClient *client, gpointer)
{
    printEvent(std::string("client-closed ") + clientIp(client));
}

void onPlayRequest(GstRTSPClient *client, GstRTSPContext *, gpointer)
{
    printEvent(std::string("playing ") + clientIp(client));
}

void onClientConnected(GstRTSPServer *, GstRTSPClient *client, gpointer data)
{
    if (!static_cast<const ServerOptions *>(data)->sdpParameterSets)
        leaveParameterSetsOutOfSdp(client);
    GstRTSPConnection *connection = gst_rtsp_client_get_connection(client);
    const gchar *ip = connection ? gst_rtsp_connection_get_ip(connection) : nullptr;
    g_object_set_data_full(G_OBJECT(client), "peer-ip", g_strdup(ip ? ip : "?"), g_free);
    g_signal_connect(client, "closed", G_CALLBACK(onClientClosed), nullptr);
    g_signal_connect(client, "play-request", G_CALLBACK(onPlayRequest), nullptr);
    printEvent(std::string("client-connected ") + clientIp(client));
}

gboolean quitLoop(gpointer loop)
{
    g_main_loop_quit(static_cast<GMainLoop *>(loop));
    return G_SOURCE_REMOVE;
}

// Building the pipeline once up front reports a missing encoder at start-up
// instead of as a failed DESCRIBE much later.
bool pipelineBuilds(const std::string &description)
{
    GError *error = nullptr;
    GstElement *pipeline = gst_parse_launch(description.c_str(), &error);
    if (pipeline)
        gst_object_unref(pipeline);
    if (error) {
        std::fprintf(stderr, "rtsp-test-server: bad pipeline: %s\n", error->message);
        g_error_free(error);
        return false;
    }
    return pipeline != nullptr;
}

GstRTSPServer *createServer(const ServerOptions &options, const std::string &description)
{
    GstRTSPServer *server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(server, options.address.c_str());
    gst_rtsp_server_set_service(server, std::to_string(options.port).c_str());

    GstRTSPMediaFactory *factory = gst_rtsp_media_factory_new();
    gst_rtsp_media_factory_set_launch(factory, description.c_str());
    gst_rtsp_media_factory_set_shared(factory, options.shared);
    addStreamProbes(factory, options);
    addResizeSchedule(factory, options);
    if (options.transport != "any")
        gst_rtsp_media_factory_set_protocols(factory, options.transport == "udp" ? GST_RTSP_LOWER_TRANS_UDP
                                                                                   : GST_RTSP_LOWER_TRANS_TCP);
    GstRTSPMountPoints *mounts = gst_rtsp_server_get_mount_points(server);
    gst_rtsp_mount_points_add_factory(mounts, options.mount.c_str(), factory);
    g_object_unref(mounts);

    g_signal_connect(server, "client-connected", G_CALLBACK(onClientConnected), const_cast<ServerOptions *>(&options));
    return server;
}

} // namespace

int main(int argc, char **argv)
{
    gst_init(&argc, &argv);

    ServerOptions options;
    std::string error;
    switch (parseServerOptions(argc, argv, options, error)) {
    case ParseResult::ShowHelp:
        std::fputs(serverUsage(argv[0]).c_str(), stdout);
        return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "rtsp-test-server: %s\n%s", error.c_str(), serverUsage(argv[0]).c_str());
        return 1;
    case ParseResult::Run:
        break;
    }

    const std::string description = launchDescription(options);
    if (!pipelineBuilds(description))
        return 3;

    GstRTSPServer *server = createServer(options, description);
    GError *bindError = nullptr;
    GSource *listener = gst_rtsp_server_create_source(server, nullptr, &bindError);
    if (!listener) {
        std::fprintf(stderr, "rtsp-test-server: cannot listen on %s:%d: %s\n", options.address.c_str(),
                     options.port, bindError ? bindError->message : "unknown error");
        g_clear_error(&bindError);
        g_object_unref(server);
        return 2;
    }
    g_source_attach(listener, nullptr);

    GMainLoop *loop = g_main_loop_new(nullptr, FALSE);
    g_unix_signal_add(SIGINT, quitLoop, loop);
    g_unix_signal_add(SIGTERM, quitLoop, loop);

    printEvent("ready rtsp://" + options.address + ":" + std::to_string(options.port) + options.mount);
    g_main_loop_run(loop);

    g_source_destroy(listener);
    g_source_unref(listener);
    g_main_loop_unref(loop);
    g_object_unref(server);
    return 0;
}
