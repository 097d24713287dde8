// Fuzzes the raw-data (".rcv") reader: any bytes must give a reading, never a crash, and the
// reading never holds more bytes than the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "reconvert/rcv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const fenmor::RcvReading r = fenmor::ReadRcv(file);
    if (r.bytes.size() > file.size()) std::abort();
    for (const fenmor::RcvWarning& w : r.warnings) {
        if (w.offset < 0 || w.offset > file.size() || w.entry < 1 || w.entry > r.entries)
            std::abort();
        (void)fenmor::RcvWarningText(w);
    }
    return 0;
}
