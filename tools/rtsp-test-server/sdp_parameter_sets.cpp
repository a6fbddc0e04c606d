#include "sdp_parameter_sets.h"

#include <sstream>

namespace {

constexpr char kFormatParameters[] = "a=fmtp:";

// "a=fmtp:96 packetization-mode=1;sprop-parameter-sets=Z0LAHtkA,aMuDyyA=;profile-level-id=42c01e";
// empty when nothing but sprop-* was there (H.265's, from gst-rtsp-server).
std::string withoutSpropParameters(const std::string &line)
{
    const size_t space = line.find(' ');
    if (space == std::string::npos)
        return line;
    std::string kept;
    std::istringstream parameters(line.substr(space + 1));
    std::string parameter;
    while (std::getline(parameters, parameter, ';')) {
        const size_t start = parameter.find_first_not_of(' ');
        if (start == std::string::npos || parameter.compare(start, 6, "sprop-") == 0)
            continue;
        kept += (kept.empty() ? "" : ";") + parameter.substr(start);
    }
    return kept.empty() ? std::string() : line.substr(0, space + 1) + kept;
}

void onSendMessage(GstRTSPClient *, GstRTSPContext *, GstRTSPMessage *message, gpointer)
{
    if (gst_rtsp_message_get_type(message) != GST_RTSP_MESSAGE_RESPONSE)
        return;
    gchar *type = nullptr;
    if (gst_rtsp_message_get_header(message, GST_RTSP_HDR_CONTENT_TYPE, &type, 0) != GST_RTSP_OK
        || g_strcmp0(type, "application/sdp") != 0)
        return;
    guint8 *body = nullptr;
    guint size = 0;
    if (gst_rtsp_message_get_body(message, &body, &size) != GST_RTSP_OK || !body)
        return;
    const std::string edited = withoutParameterSets(std::string(reinterpret_cast<const char *>(body), size));
    // The connection writes Content-Length from the body's size.
    gst_rtsp_message_set_body(message, reinterpret_cast<const guint8 *>(edited.data()),
                              static_cast<guint>(edited.size()));
}

} // namespace

std::string withoutParameterSets(const std::string &sdp)
{
    std::string result;
    std::istringstream lines(sdp);
    std::string line;
    while (std::getline(lines, line)) {
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf)
            line.pop_back();
        if (line.compare(0, sizeof kFormatParameters - 1, kFormatParameters) == 0) {
            line = withoutSpropParameters(line);
            if (line.empty())
                continue;
        }
        result += line + (crlf ? "\r\n" : "\n");
    }
    return result;
}

void leaveParameterSetsOutOfSdp(GstRTSPClient *client)
{
    g_signal_connect(client, "send-message", G_CALLBACK(onSendMessage), nullptr);
}
