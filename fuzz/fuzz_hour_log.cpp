// Fuzz target: the hourly store. Arbitrary bytes are decoded and loaded as hourlog.dat; then a
// script adds to hours (also enough of them for a rewrite), flushes, resets, restarts the store,
// and, between those steps, does what other programs do to the file: moves a copy or other
// bytes over it, cuts or lengthens it, deletes it, leaves a temporary file beside it.
// Checked against a model of the totals (sums that stop at the largest value): the store's
// table always equals it; after a flush the file decodes to it, and after one that wrote
// additions it holds at most two records per hour and a day of minutes; a restart reads the
// file, or the temporary file when that is complete and longer. (Left out: a file cut and then
// lengthened again between two flushes, whose identity and length are as the store left them.)
// Input: the base hour (u32), the file's length (u16) and bytes, then steps: an operation
// byte and its arguments (see Step).
#include "fuzz_support.h"
#include "config/number_text.h"
#include "history/hour_log.h"
#include "platform/file_io.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

using TModel = std::map<uint32_t, std::pair<uint64_t, uint64_t>>;

void ModelAdd(TModel& model, uint32_t hour, uint64_t in, uint64_t out) {
    auto& total = model[hour];
    total.first = SaturatingAdd(total.first, in);
    total.second = SaturatingAdd(total.second, out);
}

// The file's meaning read straight from its layout; `whole` tells whether every byte is part
// of a record with a good check.
TModel ReferenceDecode(const std::string& bytes, bool* whole = nullptr) {
    TModel model;
    bool allGood = bytes.size() % kHourRecordSize == 0;
    for (size_t at = 0; at + kHourRecordSize <= bytes.size(); at += kHourRecordSize) {
        if (ReferenceCrc32(bytes.substr(at, 20)) != Field(bytes, at + 20, 4)) {
            allGood = false;
            continue;
        }
        ModelAdd(model, static_cast<uint32_t>(Field(bytes, at, 4)), Field(bytes, at + 4, 8),
                 Field(bytes, at + 12, 8));
    }
    if (whole)
        *whole = allGood;
    return model;
}

bool Equal(const TModel& model, const std::vector<THourRecord>& records) {
    if (model.size() != records.size())
        return false;
    auto at = model.begin();
    for (const THourRecord& r : records) {
        if (at->first != r.Hour || at->second.first != r.In || at->second.second != r.Out)
            return false;
        ++at;
    }
    return true;
}

// Another program writes a file and moves it over the store's.
void MoveOver(const std::string& path, const std::string& bytes) {
    const std::string other = path + ".other";
    WriteWholeFile(other, bytes);
    FUZZ_CHECK(std::rename(other.c_str(), path.c_str()) == 0);
}

struct TRun {
    std::string path;
    uint32_t base = 0;
    TModel model;
    std::unique_ptr<THourLog> log;
    bool added = false;         // since the last flush
    bool cutSinceFlush = false; // in place, since the last flush or restart

    void Restart() {
        log.reset();
        bool complete = false;
        const std::string file = ReadWholeFile(path);
        const std::string temp = ReadWholeFile(TemporaryFileOf(path));
        const TModel fromTemp = ReferenceDecode(temp, &complete);
        model = complete && temp.size() > file.size() ? fromTemp : ReferenceDecode(file);
        log = std::make_unique<THourLog>(path);
        added = cutSinceFlush = false;
    }

    void Add(uint64_t hour, uint64_t in, uint64_t out) {
        log->Add(in, out, static_cast<int64_t>(hour * 3600 + hour % 3600));
        if (hour > UINT32_MAX)
            return; // past 2^32 hours: no hour of the store
        ModelAdd(model, static_cast<uint32_t>(hour), in, out);
        added = true;
    }

    void Flush() {
        try {
            log->Flush();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "flush failed: %s\n", e.what());
            FUZZ_CHECK(!"a flush in the scratch folder fails");
        }
        const std::string file = ReadWholeFile(path);
        FUZZ_CHECK(Equal(ReferenceDecode(file), log->All()));
        if (added)
            FUZZ_CHECK(file.size() <= kHourRecordSize * (2 * model.size() + 1440));
        added = cutSinceFlush = false;
    }

    void Step(TFuzzInput& in) {
        switch (in.Take<uint8_t>() % 10) {
        case 0: { // some bytes to an hour near the base
            const uint64_t hour = uint64_t{base} + in.Take<uint8_t>();
            const auto bytesIn = in.Take<uint64_t>();
            Add(hour, bytesIn, in.Take<uint32_t>());
            break;
        }
        case 1: // a byte to each of up to 4095 hours: enough for a rewrite
            for (uint64_t h = 0, n = in.Take<uint16_t>() % 4096; h < n; ++h)
                Add(uint64_t{base} + h, 1, 1);
            break;
        case 2:
            Flush();
            break;
        case 3: // a sync tool moves a copy over the file
            MoveOver(path, ReadWholeFile(path));
            break;
        case 4: // a restore puts back other bytes
            MoveOver(path, in.TakeBytes(in.Take<uint8_t>()));
            break;
        case 5: { // cut short or lengthened in place
            const size_t size = ReadWholeFile(path).size();
            const size_t cut = in.Take<uint16_t>() % (size + 49);
            // Cut and then lengthened again before the store looks, the file has the identity
            // and at least the length the store left it with: nothing tells the store.
            if (cut > size && cutSinceFlush)
                break;
            cutSinceFlush = cutSinceFlush || cut < size;
            FUZZ_CHECK(::truncate(path.c_str(), cut) == 0 || errno == ENOENT);
            break;
        }
        case 6:
            ::unlink(path.c_str());
            break;
        case 7:
            log->Reset();
            model.clear();
            added = cutSinceFlush = false;
            break;
        case 8: // what a rewrite cut short between its two steps leaves
            WriteWholeFile(TemporaryFileOf(path), in.TakeBytes(in.Take<uint8_t>()));
            break;
        default:
            Restart();
            break;
        }
        FUZZ_CHECK(Equal(model, log->All()));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        RemoveScratchAtExit({kHourLogName, "hourlog.dat.other"});
        return ScratchFolder() + kHourLogName;
    }();
    TFuzzInput in(data, size);
    TRun run;
    run.path = path;
    run.base = in.Take<uint32_t>();
    const std::string file = in.TakeBytes(in.Take<uint16_t>());
    FUZZ_CHECK(Equal(ReferenceDecode(file), DecodeHourFile(file)));
    ::unlink(TemporaryFileOf(path).c_str());
    WriteWholeFile(path, file);
    run.Restart();
    while (in.Left() > 0)
        run.Step(in);
    run.Flush();
    run.log.reset();
    return 0;
}
