#include "platform/SoundInput.h"

#include "platform/Library.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

namespace platform {
namespace {

// The part of libpulse used here, loaded at the first call.
struct Pulse {
    decltype(&::pa_mainloop_new) mainloop_new = nullptr;
    decltype(&::pa_mainloop_free) mainloop_free = nullptr;
    decltype(&::pa_mainloop_get_api) mainloop_get_api = nullptr;
    decltype(&::pa_mainloop_iterate) mainloop_iterate = nullptr;
    decltype(&::pa_mainloop_wakeup) mainloop_wakeup = nullptr;
    decltype(&::pa_context_new) context_new = nullptr;
    decltype(&::pa_context_unref) context_unref = nullptr;
    decltype(&::pa_context_connect) context_connect = nullptr;
    decltype(&::pa_context_disconnect) context_disconnect = nullptr;
    decltype(&::pa_context_get_state) context_get_state = nullptr;
    decltype(&::pa_context_errno) context_errno = nullptr;
    decltype(&::pa_context_get_source_info_list) context_get_source_info_list = nullptr;
    decltype(&::pa_operation_get_state) operation_get_state = nullptr;
    decltype(&::pa_operation_unref) operation_unref = nullptr;
    decltype(&::pa_stream_new) stream_new = nullptr;
    decltype(&::pa_stream_unref) stream_unref = nullptr;
    decltype(&::pa_stream_connect_record) stream_connect_record = nullptr;
    decltype(&::pa_stream_disconnect) stream_disconnect = nullptr;
    decltype(&::pa_stream_get_state) stream_get_state = nullptr;
    decltype(&::pa_stream_peek) stream_peek = nullptr;
    decltype(&::pa_stream_drop) stream_drop = nullptr;
    decltype(&::pa_strerror) strerror = nullptr;
    bool loaded = false;
};

const Pulse& pulse() {
    static const Pulse lib = [] {
        Pulse p;
        void* so = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
        p.loaded = resolve(so, "pa_mainloop_new", p.mainloop_new) & resolve(so, "pa_mainloop_free", p.mainloop_free) &
                   resolve(so, "pa_mainloop_get_api", p.mainloop_get_api) &
                   resolve(so, "pa_mainloop_iterate", p.mainloop_iterate) &
                   resolve(so, "pa_mainloop_wakeup", p.mainloop_wakeup) & resolve(so, "pa_context_new", p.context_new) &
                   resolve(so, "pa_context_unref", p.context_unref) & resolve(so, "pa_context_connect", p.context_connect) &
                   resolve(so, "pa_context_disconnect", p.context_disconnect) &
                   resolve(so, "pa_context_get_state", p.context_get_state) &
                   resolve(so, "pa_context_errno", p.context_errno) &
                   resolve(so, "pa_context_get_source_info_list", p.context_get_source_info_list) &
                   resolve(so, "pa_operation_get_state", p.operation_get_state) &
                   resolve(so, "pa_operation_unref", p.operation_unref) & resolve(so, "pa_stream_new", p.stream_new) &
                   resolve(so, "pa_stream_unref", p.stream_unref) &
                   resolve(so, "pa_stream_connect_record", p.stream_connect_record) &
                   resolve(so, "pa_stream_disconnect", p.stream_disconnect) &
                   resolve(so, "pa_stream_get_state", p.stream_get_state) & resolve(so, "pa_stream_peek", p.stream_peek) &
                   resolve(so, "pa_stream_drop", p.stream_drop) & resolve(so, "pa_strerror", p.strerror);
        return p;
    }();
    return lib;
}

QString noLibrary() { return QStringLiteral("cannot load libpulse.so.0 (Debian package libpulse0)"); }

} // namespace

// A main loop of our own and a context connected to the server on it.
struct PulseConnection {
    pa_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;

    ~PulseConnection() {
        const Pulse& p = pulse();
        if (stream) {
            p.stream_disconnect(stream);
            p.stream_unref(stream);
        }
        if (context) {
            p.context_disconnect(context);
            p.context_unref(context);
        }
        if (loop) p.mainloop_free(loop);
    }
    QString why() const { return QString::fromUtf8(pulse().strerror(pulse().context_errno(context))); }

    // Connects; false with `error` when the server cannot be reached.
    bool connect(QString* error) {
        const Pulse& p = pulse();
        loop = p.mainloop_new();
        context = p.context_new(p.mainloop_get_api(loop), "vhf-dsc-trainer");
        if (!context || p.context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            if (error) *error = context ? why() : QStringLiteral("no sound server");
            return false;
        }
        for (;;) {
            const pa_context_state_t state = p.context_get_state(context);
            if (state == PA_CONTEXT_READY) return true;
            if (!PA_CONTEXT_IS_GOOD(state)) {
                if (error) *error = why();
                return false;
            }
            if (p.mainloop_iterate(loop, 1, nullptr) < 0) {
                if (error) *error = QStringLiteral("the sound server's connection broke");
                return false;
            }
        }
    }
};

std::vector<SoundSource> soundSources(QString* error) {
    std::vector<SoundSource> sources;
    if (!pulse().loaded) {
        if (error) *error = noLibrary();
        return sources;
    }
    const Pulse& p = pulse();
    PulseConnection c;
    if (!c.connect(error)) return sources;
    pa_operation* op = p.context_get_source_info_list(
        c.context,
        [](pa_context*, const pa_source_info* info, int eol, void* list) {
            if (eol || !info) return;
            static_cast<std::vector<SoundSource>*>(list)->push_back(
                {QString::fromUtf8(info->name), QString::fromUtf8(info->description)});
        },
        &sources);
    while (op && p.operation_get_state(op) == PA_OPERATION_RUNNING)
        if (p.mainloop_iterate(c.loop, 1, nullptr) < 0) break;
    if (op) p.operation_unref(op);
    return sources;
}

SoundCapture::SoundCapture(Block onBlock, End onEnd) : onBlock_(std::move(onBlock)), onEnd_(std::move(onEnd)) {}

SoundCapture::~SoundCapture() { stop(); }

bool SoundCapture::start(const QString& source, int rate, QString* error) {
    stop();
    if (!pulse().loaded) {
        if (error) *error = noLibrary();
        return false;
    }
    const Pulse& p = pulse();
    auto c = std::make_unique<PulseConnection>();
    if (!c->connect(error)) return false;
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_FLOAT32NE;
    spec.rate = uint32_t(rate);
    spec.channels = 1;
    c->stream = p.stream_new(c->context, "channel 70", &spec, nullptr);
    // Pieces of about 50 ms: a call is told soon after it ends.
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.fragsize = uint32_t(rate / 20 * sizeof(float));
    const QByteArray name = source.toUtf8();
    if (!c->stream ||
        p.stream_connect_record(c->stream, name.constData(), &attr,
                                pa_stream_flags_t(PA_STREAM_DONT_MOVE | PA_STREAM_ADJUST_LATENCY)) < 0) {
        if (error) *error = c->why();
        return false;
    }
    for (;;) {
        const pa_stream_state_t state = p.stream_get_state(c->stream);
        if (state == PA_STREAM_READY) break;
        if (!PA_STREAM_IS_GOOD(state) || p.mainloop_iterate(c->loop, 1, nullptr) < 0) {
            if (error) *error = c->why();
            return false;
        }
    }
    connection_ = std::move(c);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void SoundCapture::stop() {
    if (!thread_.joinable()) {
        connection_.reset();
        return;
    }
    stopping_ = true;
    pulse().mainloop_wakeup(connection_->loop);
    thread_.join();
    connection_.reset();
}

void SoundCapture::run() {
    const Pulse& p = pulse();
    PulseConnection& c = *connection_;
    QString why;
    while (!stopping_) {
        if (p.mainloop_iterate(c.loop, 1, nullptr) < 0) {
            why = QStringLiteral("the sound server's connection broke");
            break;
        }
        if (p.context_get_state(c.context) != PA_CONTEXT_READY) {
            why = QStringLiteral("the sound server has gone (%1)").arg(c.why());
            break;
        }
        if (p.stream_get_state(c.stream) != PA_STREAM_READY) {
            why = QStringLiteral("the input is gone");
            break;
        }
        const void* data = nullptr;
        size_t bytes = 0;
        while (!stopping_ && p.stream_peek(c.stream, &data, &bytes) == 0 && bytes > 0) {
            // A hole in the stream (no data) is passed over.
            if (data) onBlock_(static_cast<const float*>(data), qint64(bytes / sizeof(float)));
            p.stream_drop(c.stream);
        }
    }
    if (!stopping_) onEnd_(why);
}

} // namespace platform
