// Engine-wide helpers: the frame timer, Base64 and compressed text, texture-region
// suffixes, scene files, localisation lookup, date text, the shell, the handheld-only
// script functions and the renderer's draw-mode mapping.
#pragma once

#include <cstdint>
#include <string>

#include "Common/ValueTypes.h"

namespace Zep {

class Actor;
class Graphic;
class Object;
class Stream;

// --- Frame timer -----------------------------------------------------------------
// Whole milliseconds between calls, from the performance counter; the ticks below
// a millisecond are carried into later calls, so no time is lost. Also counts the
// calls of each second as frames per second.
class Timer {
public:
    typedef int64_t (*CounterSource)();

    Timer();
    // Reads the given counter (of the performance counter's frequency) instead.
    explicit Timer(CounterSource counter);

    uint32_t GetElapsedMilliseconds();
    // The number of calls in the last full second.
    uint32_t GetFps() const { return fps_; }

private:
    uint64_t last_;
    uint64_t remainder_;    // counter ticks below one millisecond
    uint64_t secondStart_;  // 0 before the first call
    uint32_t callCount_;
    uint32_t fps_;
    CounterSource counter_;
};

// --- Base64 ------------------------------------------------------------------------
// The standard alphabet with '=' padding. Encoded text comes in lines of 72
// characters, each line (also the last) followed by "\r\n"; empty input gives
// empty text.
void Base64EncodeBlock(const uint8_t in[3], char out[4], int count);
// From the source's position to its end; "\r\n" after every lineWidth / 4 groups
// and after the last group.
void Base64Encode(Stream& source, Stream& target, int lineWidth);
void Base64Decode(Stream& source, Stream& target);
std::string Base64EncodeString(const std::string& bytes);
// Every character outside the alphabet (line breaks, blanks) is skipped; '=' or
// the end closes a group early.
std::string Base64DecodeString(const std::string& text);

// --- Compressed text ---------------------------------------------------------------
// [u32 little-endian length of the text][zlib stream of the text].
std::string CompressString(const std::string& text);
// A form too short to hold its length, a length the zlib stream cannot hold, or a
// stream that does not inflate to exactly that length is a panic.
std::string UncompressString(const std::string& compressed);
// Base64 of the compressed text, and back.
std::string ZipToBase64(const std::string& text);
std::string UnzipFromBase64(const std::string& text);

// --- Texture paths -----------------------------------------------------------------
// Three hexadecimal digits d1 d2 d3 as (d1 * 256 + d2 * 16 + d3) / 2048. Digits are
// not validated: codes up to 96 count as code - 48, all others as code - 87.
float HexToTexCoord(const char* digits);
// A path ending in '?' and 12 hexadecimal digits loses that suffix, and the region
// (left, top, right, bottom) is read from it; any other path stays as it is and
// the region is (0, 0, 1, 1).
void ParseTexturePathRegion(std::string& path, float region[4]);

// --- Files, through the bundle system --------------------------------------------------
// The whole file as bytes; a file that cannot be opened or read throws the file
// stream's panic.
std::string LoadFileToString(const std::string& path);
// Creates or replaces the file with the bytes.
void SaveStringToFile(const std::string& path, const std::string& text);
// The object written as a text archive with "\n" newlines.
std::string DumpObject(Object* object);
// A file or folder of that path in any mounted bundle.
bool DoesPathExist(const std::string& path);
// A file (not a folder) of that path.
bool DoesFileExist(const std::string& path);

// --- Scenes ----------------------------------------------------------------------------
class Actor;
// The actor a scene file holds, told the file's folder for its relative paths, with
// its linked scenes loaded; the caller owns it. A file whose object is not an actor
// is an assertion.
Actor* CreateSceneFromFile(const std::string& path);
Actor* CreateSceneFromFile(const std::string& folder, const std::string& fileName);
// The same content, tree and all, assigned into an existing actor.
void LoadSceneFromFile(Actor* actor, const std::string& path);
void LoadSceneFromFile(Actor* actor, const std::string& folder, const std::string& fileName);

// --- Text, time and the shell ------------------------------------------------------
// The translation of a text (a leading '$' is not part of the key); a text without
// one comes back unchanged, '$' and all.
std::string Localize(const std::string& text);
// The local time in strftime's format, at most 127 characters; empty when the
// text does not fit or is empty.
std::string GetCurrentDateTime(const std::string& format);
// Opens a document or an address with the desktop's handler; the result is not
// checked.
void ShellExecute(const std::string& path);

// --- Renderer ------------------------------------------------------------------------
// Draw kind of a blend mode: silhouette (7) draws kind 1, opaque (8) kind 4, all
// others kind 0.
int ToRendererDrawFlags(int blendMode);
// Hands the renderer the source and destination blend factors of a blend mode.
// The renderer must exist.
void ApplyBlendMode(int blendMode);

// --- Scene geometry ------------------------------------------------------------------
// The first graphic's full transform in the frame of the other graphic: where its
// pivot lies, its scale and its rotation in degrees, as a child of the other would
// carry them to look the same.
void CalcGraphicRelativeBasis(Graphic* graphic, Graphic* other, Vector2& position, Vector2& scale, float& rotation);
// The box that the rectangles of the graphics of an actor tree cover when the tree is
// drawn with the identity transform; ignored children are left out, and with
// presentedOnly the children that are not presented too, as drawing leaves them out.
// A tree without a graphic gives the empty box (0.1, 0.1) to (0, 0).
Aabb2 CalcActorActualExtent(Actor* actor, bool presentedOnly);

// --- Class tests ---------------------------------------------------------------------
class ClassInfo;
namespace Detail {
// True when the object is not NULL and its class is the given class or derives from it.
bool IsOfClass(const Object* object, const ClassInfo* classInfo);
}  // namespace Detail

// The object when its class is T's class or derives from it, else NULL; the scripts'
// CastTo... functions are instances of it.
template <class T>
T* CastTo(Object* object) {
    return Detail::IsOfClass(object, &T::staticClassInfo) ? static_cast<T*>(object) : nullptr;
}

// --- Handheld-only script functions: inert here ------------------------------------
namespace iPhone {

int GetDeviceOrientation();
void SetStatusBarOrientation(int orientation);
// Keeps the value and does nothing else.
int GetViewportOrientation();
void SetViewportOrientation(int orientation);
bool IsPad();
// Writes "Generic alert: <title>, <text>" to the debug log; the third text is not used.
void ShowGenericAlert(const std::string& title, const std::string& text, const std::string& unused);
void ShowActivityIndicator();
void HideActivityIndicator();

}  // namespace iPhone

}  // namespace Zep
