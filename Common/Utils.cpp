#include "Common/Utils.h"

#include <windows.h>
#include <zlib.h>

#include <cmath>
#include <ctime>
#include <memory>

#include "Common/Actor.h"
#include "Common/Archive.h"
#include "Common/BundleSystem.h"
#include "Common/ClassInfo.h"
#include "Common/CoreUtils.h"
#include "Common/FileStream.h"
#include "Common/FileSystem.h"
#include "Common/Graphic.h"
#include "Common/MemoryStream.h"
#include "Common/Object.h"
#include "Common/Stream.h"
#include "Common/StringUtils.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/PlatformRenderer.h"

namespace Zep {

// --- Frame timer -----------------------------------------------------------------

Timer::Timer() : Timer(&GetPerformanceCounter) {}

Timer::Timer(CounterSource counter)
    : last_(static_cast<uint64_t>(counter())),
      remainder_(0),
      secondStart_(0),
      callCount_(0),
      fps_(0),
      counter_(counter) {}

uint32_t Timer::GetElapsedMilliseconds() {
    const uint64_t now = static_cast<uint64_t>(counter_());
    const uint64_t frequency = static_cast<uint64_t>(GetPerformanceFrequency());
    const uint64_t ticksPerMillisecond = frequency / 1000 ? frequency / 1000 : 1;

    const uint64_t ticks = now - last_;
    uint64_t milliseconds = ticks * 1000 / frequency;
    remainder_ += ticks - milliseconds * frequency / 1000;
    milliseconds += remainder_ * 1000 / frequency;
    remainder_ %= ticksPerMillisecond;
    last_ = now;

    if (secondStart_ == 0)
        secondStart_ = now;
    if (now >= secondStart_ + frequency) {
        fps_ = callCount_;
        callCount_ = 0;
        secondStart_ += frequency;
    } else {
        ++callCount_;
    }
    return static_cast<uint32_t>(milliseconds);
}

// --- Base64 ------------------------------------------------------------------------

namespace {

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const int kBase64LineWidth = 72;

// The 6-bit value of a symbol of the alphabet, -1 for any other character.
int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

std::string EncodeLines(const std::string& bytes, int lineWidth) {
    const size_t groupsPerLine = lineWidth / 4 > 0 ? static_cast<size_t>(lineWidth / 4) : 1;
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4 + (bytes.size() / (groupsPerLine * 3) + 1) * 2);
    size_t groupsInLine = 0;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint8_t in[3] = {0, 0, 0};
        const int count = bytes.size() - i < 3 ? static_cast<int>(bytes.size() - i) : 3;
        for (int k = 0; k < count; ++k)
            in[k] = static_cast<uint8_t>(bytes[i + k]);
        char out[4];
        Base64EncodeBlock(in, out, count);
        text.append(out, 4);
        if (++groupsInLine == groupsPerLine || i + 3 >= bytes.size()) {
            text += "\r\n";
            groupsInLine = 0;
        }
    }
    return text;
}

// Appends the bytes of a group of symbols: one less than the symbols in it.
void FlushBase64Group(const int* values, int symbols, std::string& bytes) {
    if (symbols < 2)
        return;
    const uint32_t bits = static_cast<uint32_t>(values[0]) << 18 | static_cast<uint32_t>(values[1]) << 12 |
                          static_cast<uint32_t>(symbols > 2 ? values[2] : 0) << 6 |
                          static_cast<uint32_t>(symbols > 3 ? values[3] : 0);
    bytes += static_cast<char>(bits >> 16);
    if (symbols > 2)
        bytes += static_cast<char>((bits >> 8) & 0xFF);
    if (symbols > 3)
        bytes += static_cast<char>(bits & 0xFF);
}

}  // namespace

void Base64EncodeBlock(const uint8_t in[3], char out[4], int count) {
    const uint8_t b0 = in[0];
    const uint8_t b1 = count > 1 ? in[1] : 0;
    const uint8_t b2 = count > 2 ? in[2] : 0;
    out[0] = kBase64Alphabet[b0 >> 2];
    out[1] = kBase64Alphabet[((b0 & 0x03) << 4) | (b1 >> 4)];
    out[2] = count > 1 ? kBase64Alphabet[((b1 & 0x0F) << 2) | (b2 >> 6)] : '=';
    out[3] = count > 2 ? kBase64Alphabet[b2 & 0x3F] : '=';
}

namespace {

// The bytes from the stream's position to its end.
std::string ReadRest(Stream& source) {
    const int32_t size = source.GetSize() - source.GetPosition();
    std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        bytes.resize(static_cast<size_t>(source.Read(&bytes[0], size)));
    return bytes;
}

// Writes in pieces that a stream's 32-bit count can hold.
void WriteAll(Stream& target, const std::string& bytes) {
    const size_t kPiece = 1u << 30;
    for (size_t done = 0; done < bytes.size(); done += kPiece) {
        const size_t piece = bytes.size() - done < kPiece ? bytes.size() - done : kPiece;
        target.Write(bytes.data() + done, static_cast<int32_t>(piece));
    }
}

}  // namespace

void Base64Encode(Stream& source, Stream& target, int lineWidth) {
    WriteAll(target, EncodeLines(ReadRest(source), lineWidth));
}

void Base64Decode(Stream& source, Stream& target) {
    WriteAll(target, Base64DecodeString(ReadRest(source)));
}

std::string Base64EncodeString(const std::string& bytes) {
    return EncodeLines(bytes, kBase64LineWidth);
}

std::string Base64DecodeString(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 3);
    int values[4];
    int symbols = 0;
    for (const char c : text) {
        if (c == '=') {
            FlushBase64Group(values, symbols, bytes);
            symbols = 0;
            continue;
        }
        const int value = Base64Value(static_cast<unsigned char>(c));
        if (value < 0)
            continue;
        values[symbols++] = value;
        if (symbols == 4) {
            FlushBase64Group(values, symbols, bytes);
            symbols = 0;
        }
    }
    FlushBase64Group(values, symbols, bytes);
    return bytes;
}

// --- Compressed text ---------------------------------------------------------------

namespace {

// Deflate cannot expand data by more than about 1032 to 1; a declared length
// beyond that (with a margin for tiny streams) is corrupt and is refused before
// anything is allocated for it.
const uint64_t kMaxInflateRatio = 1032;
const uint64_t kInflateMargin = 64;

}  // namespace

std::string CompressString(const std::string& text) {
    // The length field holds 32 bits.
    if (text.size() > 0xFFFFFFFFu)
        ZEP_PANIC("Compress error!");
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string compressed(4 + size, '\0');
    const uint32_t length = static_cast<uint32_t>(text.size());
    for (int i = 0; i < 4; ++i)
        compressed[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    const int result = compress(reinterpret_cast<Bytef*>(&compressed[4]), &size,
                                reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()));
    if (result != Z_OK)
        ZEP_PANIC("Compress error!");
    compressed.resize(4 + size);
    return compressed;
}

std::string UncompressString(const std::string& compressed) {
    if (compressed.size() < 4)
        ZEP_PANIC("Uncompress error!");
    uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= static_cast<uint32_t>(static_cast<uint8_t>(compressed[i])) << (8 * i);
    const uint64_t streamSize = compressed.size() - 4;
    if (length > streamSize * kMaxInflateRatio + kInflateMargin)
        ZEP_PANIC("Uncompress error!");

    std::string text(length, '\0');
    uLongf size = length;
    const int result =
        uncompress(reinterpret_cast<Bytef*>(&text[0]), &size, reinterpret_cast<const Bytef*>(compressed.data() + 4),
                   static_cast<uLong>(streamSize));
    if (result != Z_OK || size != length)
        ZEP_PANIC("Uncompress error!");
    return text;
}

std::string ZipToBase64(const std::string& text) {
    return Base64EncodeString(CompressString(text));
}

std::string UnzipFromBase64(const std::string& text) {
    return UncompressString(Base64DecodeString(text));
}

// --- Texture paths -----------------------------------------------------------------

namespace {

int HexDigitValue(char c) {
    const int code = static_cast<unsigned char>(c);
    return code <= 96 ? code - 48 : code - 87;
}

}  // namespace

float HexToTexCoord(const char* digits) {
    const int value = HexDigitValue(digits[0]) * 256 + HexDigitValue(digits[1]) * 16 + HexDigitValue(digits[2]);
    return static_cast<float>(value) / 2048.0f;
}

void ParseTexturePathRegion(std::string& path, float region[4]) {
    const size_t kSuffixDigits = 12;
    if (path.size() > kSuffixDigits && path[path.size() - kSuffixDigits - 1] == '?') {
        const char* digits = path.c_str() + path.size() - kSuffixDigits;
        for (int i = 0; i < 4; ++i)
            region[i] = HexToTexCoord(digits + 3 * i);
        path.erase(path.size() - kSuffixDigits - 1);
        return;
    }
    region[0] = 0.0f;
    region[1] = 0.0f;
    region[2] = 1.0f;
    region[3] = 1.0f;
}

// --- Files --------------------------------------------------------------------------

std::string LoadFileToString(const std::string& path) {
    FileStream stream(path, FS_OPEN_READ);
    return ReadRest(stream);
}

void SaveStringToFile(const std::string& path, const std::string& text) {
    FileStream stream(path, FS_OPEN_WRITE | FS_OPEN_TRUNCATE);
    WriteAll(stream, text);
}

std::string DumpObject(Object* object) {
    ZEP_ASSERT(object != nullptr);
    MemoryStream stream(0, MemoryStream::AutoResize);
    OTextArchive writer(&stream, false);
    object->Save(writer);
    return stream.GetAsString();
}

bool DoesPathExist(const std::string& path) {
    return BundleSystem::GetInstance()->PathExists(path, FS_PATH_ANY);
}

bool DoesFileExist(const std::string& path) {
    return BundleSystem::GetInstance()->PathExists(path, FS_PATH_FILE);
}

// --- Scenes ------------------------------------------------------------------------
namespace {

// The actor of the file, nothing more done to it.
Actor* ReadScene(const std::string& path) {
    ITextFileArchive reader(path);
    std::unique_ptr<Object> object(Object::CreateFromArchive(reader));
    ZEP_ASSERT(CastTo<Actor>(object.get()) != nullptr);
    return static_cast<Actor*>(object.release());
}

}  // namespace

Actor* CreateSceneFromFile(const std::string& path) {
    std::unique_ptr<Actor> scene(ReadScene(path));
    scene->SetBasePath(ExtractBranch(path));
    scene->LoadExternalAssets();
    return scene.release();
}

Actor* CreateSceneFromFile(const std::string& folder, const std::string& fileName) {
    return CreateSceneFromFile(ConcatPaths(folder, fileName));
}

void LoadSceneFromFile(Actor* actor, const std::string& path) {
    std::unique_ptr<Actor> scene(ReadScene(path));
    actor->AssignRecursive(scene.get());
    actor->SetBasePath(ExtractBranch(path));
    actor->LoadExternalAssets();
}

void LoadSceneFromFile(Actor* actor, const std::string& folder, const std::string& fileName) {
    LoadSceneFromFile(actor, ConcatPaths(folder, fileName));
}

// --- Text, time and the shell ------------------------------------------------------

std::string Localize(const std::string& text) {
    // No dictionary is loaded yet, so no text has a translation.
    return text;
}

std::string GetCurrentDateTime(const std::string& format) {
    const std::time_t now = std::time(nullptr);
    std::tm local;
    if (!localtime_r(&now, &local))
        return std::string();
    char buffer[128];
    // strftime leaves the buffer undefined when the text does not fit.
    const size_t length = std::strftime(buffer, sizeof(buffer), format.c_str(), &local);
    return std::string(buffer, length);
}

void ShellExecute(const std::string& path) {
    ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// --- Renderer ------------------------------------------------------------------------

int ToRendererDrawFlags(int blendMode) {
    switch (blendMode) {
        case 7:
            return 1;
        case 8:
            return 4;
        default:
            return 0;
    }
}

void ApplyBlendMode(int blendMode) {
    PlatformRenderer* renderer = Lumo::InstanceHolder<PlatformRenderer>::Get();
    switch (blendMode) {
        case BLEND_ADD:
            renderer->SetBlendMode(4, 1);
            break;
        case BLEND_BURN:
            renderer->SetBlendMode(6, 5);
            break;
        case BLEND_OVERLAY:
            renderer->SetBlendMode(6, 1);
            break;
        case BLEND_MODULATE:
            renderer->SetBlendMode(6, 0);
            break;
        case BLEND_MODULATE2X:
            renderer->SetBlendMode(6, 2);
            break;
        default:
            renderer->SetBlendMode(4, 5);
            break;
    }
}

// --- Scene geometry ------------------------------------------------------------------

void CalcGraphicRelativeBasis(Graphic* graphic, Graphic* other, Vector2& position, Vector2& scale, float& rotation) {
    ZEP_ASSERT(graphic != nullptr && other != nullptr);
    const Matrix32 relative = graphic->CalcFullTransformMatrix() * other->CalcFullTransformMatrix().CalcInversed();
    const Vector2 pivot(graphic->GetPivot().x * graphic->GetSize().x, graphic->GetPivot().y * graphic->GetSize().y);
    position = relative.TransformVector(pivot);
    // The x axis gives the rotation and the horizontal scale; the y axis measured
    // across it gives the vertical scale, negative when the basis is mirrored.
    const float length = std::sqrt(relative._11 * relative._11 + relative._12 * relative._12);
    const float cosine = length > 0.0f ? relative._11 / length : 1.0f;
    const float sine = length > 0.0f ? relative._12 / length : 0.0f;
    scale = Vector2(length, relative._22 * cosine - relative._21 * sine);
    rotation = std::atan2(sine, cosine) * 57.29577951308232f;
}

namespace {

void IncludeExtent(Actor* actor, const RenderContext& context, bool presentedOnly, Aabb2& box) {
    if (const Graphic* graphic = CastTo<Graphic>(actor)) {
        const Vector2& size = graphic->GetSize();
        const Vector2 corners[4] = {Vector2(0.0f, 0.0f), Vector2(size.x, 0.0f), Vector2(0.0f, size.y), size};
        for (const Vector2& corner : corners) {
            const Vector2 point = context.transform.TransformVector(corner);
            box.IncludePoint(point.x, point.y);
        }
    }
    ActorCollection& children = actor->GetActors();
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        Actor* child = children.Get(i);
        if (!child || children.IsIgnored(i) || (presentedOnly && !child->IsPresented()))
            continue;
        IncludeExtent(child, child->TransformRenderContext(context), presentedOnly, box);
    }
}

}  // namespace

Aabb2 CalcActorActualExtent(Actor* actor, bool presentedOnly) {
    Aabb2 box(Vector2(0.1f, 0.1f), Vector2(0.0f, 0.0f));
    if (actor)
        IncludeExtent(actor, actor->TransformRenderContext(RenderContext::GetDefault()), presentedOnly, box);
    return box;
}

// --- Handheld-only script functions --------------------------------------------------

namespace Detail {

bool IsOfClass(const Object* object, const ClassInfo* classInfo) {
    if (!object)
        return false;
    for (const ClassInfo* info = object->GetClassInfo(); info; info = info->GetBaseClassInfo())
        if (info == classInfo)
            return true;
    return false;
}

}  // namespace Detail

namespace iPhone {

namespace {
int viewportOrientation = 0;
}

int GetDeviceOrientation() {
    return 0;
}

void SetStatusBarOrientation(int) {}

int GetViewportOrientation() {
    return viewportOrientation;
}

void SetViewportOrientation(int orientation) {
    viewportOrientation = orientation;
}

bool IsPad() {
    return false;
}

void ShowGenericAlert(const std::string& title, const std::string& text, const std::string&) {
    LogInfo("Generic alert: " + title + ", " + text + "\n");
}

void ShowActivityIndicator() {}

void HideActivityIndicator() {}

}  // namespace iPhone

}  // namespace Zep
