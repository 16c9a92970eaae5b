// Fuzz target: the per-program store. Arbitrary bytes are decoded and loaded as appslog.dat;
// then a script adds programs' bytes to hours (also more than 50 programs to an hour, so that
// some are folded into other and some return), flushes, resets, restarts the store, and, between
// those steps, moves a copy or other bytes over the file, cuts it or deletes it.
// Checked: decoding equals a reading of the layout made here (CRC-32 bit by bit, a scan for the
// marker, sums that stop at the largest value, the fold of an hour's smaller programs); what is
// encoded decodes back to itself; every hour's sum over its programs equals a model of the
// additions; after a flush the file decodes to the store's table, and a restart reads it back.
// Input: the file's length (u16) and bytes, then steps: an operation byte and its arguments.
#include "fuzz_support.h"
#include "apps/app_log.h"
#include "config/number_text.h"
#include "platform/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

const int64_t kBase = 486000 * int64_t{3600};
using TTotals = std::map<std::pair<int64_t, std::string>, std::pair<uint64_t, uint64_t>>;

void Sum(std::pair<uint64_t, uint64_t>& total, uint64_t in, uint64_t out) {
    total.first = SaturatingAdd(total.first, in);
    total.second = SaturatingAdd(total.second, out);
}

// An hour with more than 50 named programs keeps the 50 with the most bytes in and out (the
// smaller name first among equals); the others' bytes go to the empty name.
std::vector<TAppHour> ReferenceFold(const TTotals& totals) {
    std::vector<TAppHour> out;
    for (auto at = totals.begin(); at != totals.end();) {
        const int64_t hour = at->first.first;
        std::vector<TAppHour> named;
        TAppHour other{hour, "", 0, 0};
        bool hasOther = false;
        for (; at != totals.end() && at->first.first == hour; ++at) {
            if (at->first.second.empty()) {
                hasOther = true;
                other.In = at->second.first;
                other.Out = at->second.second;
            } else {
                named.push_back({hour, at->first.second, at->second.first, at->second.second});
            }
        }
        std::sort(named.begin(), named.end(), [](const TAppHour& a, const TAppHour& b) {
            const uint64_t x = SaturatingAdd(a.In, a.Out), y = SaturatingAdd(b.In, b.Out);
            return x != y ? x > y : a.Program < b.Program;
        });
        for (size_t i = 50; i < named.size(); ++i) {
            hasOther = true;
            other.In = SaturatingAdd(other.In, named[i].In);
            other.Out = SaturatingAdd(other.Out, named[i].Out);
        }
        named.resize(std::min<size_t>(named.size(), 50));
        if (hasOther)
            named.push_back(other);
        std::sort(named.begin(), named.end(),
                  [](const TAppHour& a, const TAppHour& b) { return a.Program < b.Program; });
        out.insert(out.end(), named.begin(), named.end());
    }
    return out;
}

std::vector<TAppHour> ReferenceDecode(const std::string& bytes) {
    TTotals totals;
    size_t at = 0;
    while (at + 32 <= bytes.size()) {
        const bool head = static_cast<unsigned char>(bytes[at]) == 0xFE &&
                          static_cast<unsigned char>(bytes[at + 1]) == 0xA5 &&
                          ReferenceCrc32(bytes.substr(at, 24)) == Field(bytes, at + 24, 4);
        if (!head) {
            ++at;
            continue;
        }
        const size_t length = Field(bytes, at + 2, 2), size = 32 + length;
        if (at + size > bytes.size())
            break;
        if (ReferenceCrc32(bytes.substr(at, 28 + length)) == Field(bytes, at + 28 + length, 4))
            Sum(totals[{static_cast<int64_t>(Field(bytes, at + 4, 4)) * 3600,
                        bytes.substr(at + 28, length)}],
                Field(bytes, at + 8, 8), Field(bytes, at + 16, 8));
        at += size;
    }
    return ReferenceFold(totals);
}

bool Equal(const std::vector<TAppHour>& a, const std::vector<TAppHour>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].HourUtc != b[i].HourUtc || a[i].Program != b[i].Program || a[i].In != b[i].In ||
            a[i].Out != b[i].Out)
            return false;
    }
    return true;
}

using THourSums = std::map<int64_t, std::pair<uint64_t, uint64_t>>;

THourSums HourSums(const std::vector<TAppHour>& table) {
    THourSums sums;
    for (const TAppHour& entry : table)
        Sum(sums[entry.HourUtc], entry.In, entry.Out);
    return sums;
}

void MoveOver(const std::string& path, const std::string& bytes) {
    const std::string other = path + ".other";
    WriteWholeFile(other, bytes);
    FUZZ_CHECK(std::rename(other.c_str(), path.c_str()) == 0);
}

struct TRun {
    std::string path;
    THourSums model;
    std::unique_ptr<TAppLog> log;

    void Restart() {
        log.reset();
        const std::vector<TAppHour> file = DecodeAppFile(ReadWholeFile(path));
        log = std::make_unique<TAppLog>(path);
        FUZZ_CHECK(Equal(file, log->All()));
        model = HourSums(file);
    }

    void Flush() {
        try {
            log->Flush();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "flush failed: %s\n", e.what());
            FUZZ_CHECK(!"a flush in the scratch folder fails");
        }
        FUZZ_CHECK(Equal(DecodeAppFile(ReadWholeFile(path)), log->All()));
    }

    // Programs p0 to p62, and 63 as other, with bytes; up to 64 of them at once.
    void Add(TFuzzInput& in) {
        const int64_t hour = kBase + 3600 * (in.Take<uint8_t>() % 4);
        std::vector<TAppHour> adds;
        for (int n = in.Take<uint8_t>() % 65; n > 0; --n) {
            const int program = in.Take<uint8_t>() % 64;
            TAppHour add{hour + in.Take<uint8_t>(), program == 63 ? "" : "p" + std::to_string(program),
                         in.Take<uint16_t>(), in.Take<uint8_t>()};
            Sum(model[hour], add.In, add.Out);
            adds.push_back(std::move(add));
        }
        log->Add(adds);
    }

    void Step(TFuzzInput& in) {
        switch (in.Take<uint8_t>() % 8) {
        case 0:
            Add(in);
            break;
        case 1:
            Flush();
            break;
        case 2:
            MoveOver(path, ReadWholeFile(path));
            break;
        case 3:
            MoveOver(path, in.TakeBytes(in.Take<uint8_t>()));
            break;
        case 4: { // cut short in place
            const size_t size = ReadWholeFile(path).size();
            FUZZ_CHECK(::truncate(path.c_str(), in.Take<uint16_t>() % (size + 1)) == 0 ||
                       errno == ENOENT);
            break;
        }
        case 5:
            ::unlink(path.c_str());
            break;
        case 6:
            log->Reset();
            model.clear();
            break;
        default:
            Flush();
            Restart();
            break;
        }
        const THourSums sums = HourSums(log->All());
        FUZZ_CHECK(sums == model);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        RemoveScratchAtExit({kAppLogName, "appslog.dat.other"});
        return ScratchFolder() + kAppLogName;
    }();
    TFuzzInput in(data, size);
    const std::string file = in.TakeBytes(in.Take<uint16_t>());
    const std::vector<TAppHour> decoded = DecodeAppFile(file);
    FUZZ_CHECK(Equal(ReferenceDecode(file), decoded));
    FUZZ_CHECK(Equal(decoded, DecodeAppFile(EncodeAppRecords(decoded))));
    ::unlink(TemporaryFileOf(path).c_str());
    WriteWholeFile(path, file);
    TRun run;
    run.path = path;
    run.Restart();
    while (in.Left() > 0)
        run.Step(in);
    run.Flush();
    run.log.reset();
    return 0;
}
