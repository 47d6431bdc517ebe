// Writing and parsing a text archive of nested objects in memory. Every value read
// back is checked against what was written.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchmarkSupport.h"
#include "Common/Archive.h"
#include "Common/MemoryStream.h"

namespace {

using Zep::ITextArchive;
using Zep::MemoryStream;
using Zep::OTextArchive;

void Field(OTextArchive& w, const char* name) {
    w.EndField();
    w.BeginField(name);
}

int WriteNode(OTextArchive& w, int id, int depth) {
    w.BeginObject("Zep::Node");
    w.BeginField("Name");
    w.WriteString("node\t" + std::to_string(id));
    Field(w, "Id");
    w.WriteInt(-id);
    Field(w, "Scale");
    w.WriteFloat(id * 0.25f);
    Field(w, "Color");
    w.WriteColor(0xFF000000u | static_cast<uint32_t>(id));
    Field(w, "Visible");
    w.WriteBool(id % 2 == 0);
    Field(w, "Children");
    int written = 1;
    w.BeginArray(depth > 0);
    for (int i = 0; depth > 0 && i < 6; ++i) {
        w.BeginItem();
        written += WriteNode(w, id + written, depth - 1);
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.EndObject();
    return written;
}

// The node count, or -1 when a value differs from what its id says.
int ReadNode(ITextArchive& r) {
    r.BeginObject();
    r.ExpectFieldName("Name");
    const std::string name = r.ReadString();
    r.ExpectFieldName("Id");
    const int id = -r.ReadInt();
    bool same = name == "node\t" + std::to_string(id);
    r.ExpectFieldName("Scale");
    same = same && r.ReadFloat() == id * 0.25f;
    r.ExpectFieldName("Color");
    same = same && r.ReadColor() == (0xFF000000u | static_cast<uint32_t>(id));
    r.ExpectFieldName("Visible");
    same = same && r.ReadBool() == (id % 2 == 0);
    r.ExpectFieldName("Children");
    int read = 1;
    r.BeginArray();
    while (!r.AtArrayEnd()) {
        const int children = ReadNode(r);
        same = same && children > 0;
        read += children;
    }
    r.EndArray();
    r.EndObject();
    return same ? read : -1;
}

// A document of about the given size; answers its node count.
int WriteDocument(MemoryStream& out, int64_t bytes) {
    OTextArchive writer(&out, true);
    writer.BeginObject("Zep::Scene");
    writer.BeginField("Children");
    writer.BeginArray(true);
    int written = 0;
    while (out.GetSize() < bytes) {
        writer.BeginItem();
        written += WriteNode(writer, written, 3);
        writer.EndItem();
    }
    writer.EndArray();
    writer.EndField();
    writer.EndObject();
    return written;
}

int64_t DocumentBytes() {
    return BenchmarkSupport::Size<int64_t>(5 << 20, 64 << 10);
}

void Write(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    int64_t bytes = 0;
    for (auto _ : state) {
        MemoryStream out(0, MemoryStream::AutoResize);
        WriteDocument(out, DocumentBytes());
        bytes += out.GetSize();
    }
    state.SetBytesProcessed(bytes);
}

void Parse(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    MemoryStream out(0, MemoryStream::AutoResize);
    const int written = WriteDocument(out, DocumentBytes());
    int64_t bytes = 0;
    for (auto _ : state) {
        out.Seek(0, Zep::Stream::SeekStart);
        ITextArchive reader(&out, "benchmark");
        reader.BeginObject();
        reader.ExpectFieldName("Children");
        reader.BeginArray();
        int read = 0;
        while (!reader.AtArrayEnd()) {
            const int nodes = ReadNode(reader);
            if (nodes < 0) {
                state.SkipWithError("a value read back differs from the one written");
                return;
            }
            read += nodes;
        }
        reader.EndArray();
        reader.EndObject();
        if (read != written) {
            state.SkipWithError("the node count read back differs");
            return;
        }
        bytes += out.GetSize();
    }
    state.SetBytesProcessed(bytes);
}

BENCHMARK(Write)->Unit(benchmark::kMillisecond);
BENCHMARK(Parse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
