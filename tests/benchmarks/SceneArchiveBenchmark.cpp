// Reading and writing a scene-like text archive: a scene of 20 000 actors, each an
// object of six fields, three of them single-line arrays, as scene files hold them.
// The reader is timed over a memory stream and over a file of the bundle system (how
// scenes are loaded); every value read back is checked. Figures are in bytes per second.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchmarkSupport.h"
#include "Common/Archive.h"
#include "Common/BundleSystem.h"
#include "Common/MemoryStream.h"
#include "TestSupport.h"

namespace {

using Zep::ITextArchive;
using Zep::MemoryStream;
using Zep::OTextArchive;

int ActorCount() {
    return BenchmarkSupport::Size(20000, 200);
}

float Coordinate(int id, int axis) {
    return static_cast<float>((id * 7 + axis * 13) % 2048) * 0.5f;
}

void WriteActor(OTextArchive& w, int id) {
    w.BeginObject("Zep::Image");
    w.BeginField("Name");
    w.WriteString("actor " + std::to_string(id));
    w.EndField();
    w.BeginField("Position");
    w.BeginArray(false);
    for (int axis = 0; axis < 2; ++axis) {
        w.BeginItem();
        w.WriteFloat(Coordinate(id, axis));
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.BeginField("Color");
    w.WriteColor(0xFF000000u | static_cast<uint32_t>(id));
    w.EndField();
    w.BeginField("Visible");
    w.WriteBool(id % 3 != 0);
    w.EndField();
    w.BeginField("Frames");
    w.BeginArray(false);
    for (int frame = 0; frame < 3; ++frame) {
        w.BeginItem();
        w.WriteInt(id + frame * 25);
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.BeginField("Size");
    w.BeginArray(false);
    for (int axis = 0; axis < 2; ++axis) {
        w.BeginItem();
        w.WriteFloat(64.0f + static_cast<float>(id % 17 + axis));
        w.EndItem();
    }
    w.EndArray();
    w.EndField();
    w.EndObject();
}

void WriteScene(MemoryStream& out) {
    OTextArchive writer(&out, true);
    writer.BeginObject("Zep::Scene");
    writer.BeginField("Actors");
    writer.BeginArray(true);
    for (int id = 0; id < ActorCount(); ++id) {
        writer.BeginItem();
        WriteActor(writer, id);
        writer.EndItem();
    }
    writer.EndArray();
    writer.EndField();
    writer.EndObject();
}

bool ReadActor(ITextArchive& r, int id) {
    if (r.BeginObject() != "Zep::Image")
        return false;
    r.ExpectFieldName("Name");
    bool same = r.ReadString() == "actor " + std::to_string(id);
    r.ExpectFieldName("Position");
    r.BeginArray();
    for (int axis = 0; axis < 2; ++axis)
        same = same && r.ReadFloat() == Coordinate(id, axis);
    r.EndArray();
    r.ExpectFieldName("Color");
    same = same && r.ReadColor() == (0xFF000000u | static_cast<uint32_t>(id));
    r.ExpectFieldName("Visible");
    same = same && r.ReadBool() == (id % 3 != 0);
    r.ExpectFieldName("Frames");
    r.BeginArray();
    for (int frame = 0; !r.AtArrayEnd(); ++frame)
        same = same && r.ReadInt() == id + frame * 25;
    r.EndArray();
    r.ExpectFieldName("Size");
    r.BeginArray();
    for (int axis = 0; axis < 2; ++axis)
        same = same && r.ReadFloat() == 64.0f + static_cast<float>(id % 17 + axis);
    r.EndArray();
    r.EndObject();
    return same;
}

// The whole scene, as a scene load reads it; false when anything differs.
bool ReadScene(ITextArchive& reader) {
    if (reader.BeginObject() != "Zep::Scene")
        return false;
    reader.ExpectFieldName("Actors");
    reader.BeginArray();
    int id = 0;
    for (; !reader.AtArrayEnd(); ++id) {
        if (!ReadActor(reader, id))
            return false;
    }
    reader.EndArray();
    reader.EndObject();
    return id == ActorCount();
}

void Write(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    int64_t bytes = 0;
    for (auto _ : state) {
        MemoryStream out(0, MemoryStream::AutoResize);
        WriteScene(out);
        bytes += out.GetSize();
    }
    state.SetBytesProcessed(bytes);
}

void ReadMemory(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    MemoryStream scene(0, MemoryStream::AutoResize);
    WriteScene(scene);
    state.counters["document_bytes"] = scene.GetSize();
    for (auto _ : state) {
        scene.Seek(0, Zep::Stream::SeekStart);
        ITextArchive reader(&scene, "scene");
        if (!ReadScene(reader)) {
            state.SkipWithError("a value read back differs from the one written");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * scene.GetSize());
}

void ReadFile(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    TestSupport::TempFolder folder;
    int64_t size = 0;
    {
        MemoryStream scene(0, MemoryStream::AutoResize);
        WriteScene(scene);
        TestSupport::WriteFile(folder.File("Scene.scene"), scene.GetAsString());
        size = scene.GetSize();
    }
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    bundles->MountDirectory(folder.Path());
    for (auto _ : state) {
        Zep::ITextFileArchive reader("Scene.scene");
        if (!ReadScene(reader)) {
            state.SkipWithError("a value read back differs from the one written");
            break;
        }
    }
    bundles->Unmount(folder.Path());
    state.SetBytesProcessed(state.iterations() * size);
}

BENCHMARK(Write)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
