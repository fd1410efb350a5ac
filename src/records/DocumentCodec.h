#pragma once

#include "SessionRecords.h"
#include "Settings.h"
#include "SyncRecords.h"

#include <QList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// The data document's root: the settings and the archive (newest first).
struct PersistedData {
    AppSettings settings;
    QList<StudySession> sessions;
    std::optional<SyncState> sync; // only once sync was switched on

    bool operator==(const PersistedData &) const = default;
};

// Encodes the document: keys sorted at every level, pretty-printed with two-space
// indentation, timestamps as whole-second UTC "…Z", upper-case UUIDs, UTF-8.
// Fails only for a value JSON cannot hold (a non-finite volume); the reason goes to `error`.
bool encodeDocument(const PersistedData &data, std::string &out, std::string *error = nullptr);

// The same bytes, handed to `sink` in pieces of about `chunkBytes` as they are made,
// so a large archive is written without holding the whole text in memory. Stops
// and returns false when the sink does.
using DocumentSink = std::function<bool(std::string_view)>;
bool encodeDocument(const PersistedData &data, const DocumentSink &sink, std::string *error = nullptr,
                    size_t chunkBytes = size_t(1) << 20);

struct DecodeResult {
    std::optional<PersistedData> data;
    std::string error; // where and why decoding stopped, when it did
};

// Strict decoding: the document is taken whole or not at all. A missing required
// key, a wrong JSON type, an unknown enumeration string, a malformed UUID or
// timestamp, invalid UTF-8, malformed JSON or trailing content fails it. Optional
// keys that are absent or null stay absent; unknown keys are ignored. Never throws.
DecodeResult decodeDocument(std::string_view bytes);

// A device file of sync: the same strictness as the document, keys sorted; to a sink in pieces
// like the document, or whole into a string.
bool encodeDeviceFile(const DeviceFile &file, const DocumentSink &sink, size_t chunkBytes = size_t(1) << 20);
void encodeDeviceFile(const DeviceFile &file, std::string &out);
struct DeviceFileResult {
    std::optional<DeviceFile> file;
    std::string error;
};
DeviceFileResult decodeDeviceFile(std::string_view bytes);

} // namespace tessary
