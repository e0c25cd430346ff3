#pragma once
// Image files of the canvas: the format a file name asks for, a QImage of a raster, and writing
// an image so that the target is replaced whole or not at all. An existing file is never left
// damaged and a failed write leaves nothing behind; a target that is not a regular file, a name
// that is not text and a picture the format would shrink are refused. No dialogs and no
// messages: errors come back as English text, and refusals as values, for the caller to show.

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QSize>
#include <QString>

#include "turtle/raster.h"

namespace files {

// The image format the path's extension names, as Qt's image writers spell it ("png", "jpg"),
// or an empty array when the extension is missing or no writer handles it. Case-insensitive.
[[nodiscard]] QByteArray ImageFormatFor(const QString& path);

// "webp" or "gif" when the path's extension names one of the animation formats, else empty.
[[nodiscard]] QByteArray AnimationFormatFor(const QString& path);

// What a format's writer keeps whole. Qt's ICO writer (also .cur) shrinks anything larger than
// 256 × 256 to fit, and the ICNS writer squeezes every picture into a square of at most
// 1024 × 1024, both without a word; the other writers keep any size a render can have.
struct ImageSizeLimit {
  int largestSide = 0;      // pixels each way at most; 0 when there is no such limit
  bool squareOnly = false;  // only square pictures are kept as they are
};
[[nodiscard]] ImageSizeLimit SizeLimitOf(const QByteArray& format);
[[nodiscard]] bool Holds(const ImageSizeLimit& limit, QSize size);
// "the .ico format holds at most 256x256 pixels, not 573x413": why `size` is refused.
[[nodiscard]] QString TooLargeForFormat(const QByteArray& format, QSize size);

// Why a target is refused before anything is written to it. A name holding a lone surrogate
// (how the command line keeps bytes that are not UTF-8) would be written under another name. A
// device node, FIFO or socket, directly or behind symbolic links, would be replaced by a
// regular file. A symbolic link to a regular file is fine: the file it points to is replaced.
enum class TargetRefusal { None, NameNotText, NotARegularFile };
[[nodiscard]] TargetRefusal RefusalOf(const QString& path);

// A copy of the raster's pixels as a Format_RGB32 image, independent of the raster afterwards.
[[nodiscard]] QImage ImageOf(const turtle::Raster& raster);

// The raster's pixels as a Format_RGB32 image without copying them: valid only while the raster
// lives and keeps its size. Writing through it is not allowed.
[[nodiscard]] QImage ImageViewOf(const turtle::Raster& raster);

// An image file on its way to disk. Open creates a temporary file beside the target, Write
// encodes the image into it, Commit puts it in the target's place in one step. Anything short
// of a successful Commit, including destroying the object, removes the temporary file and
// leaves the target as it was. Each step returns false with the reason in *error on failure;
// a step after a failed one fails too. Open and Commit refuse a target RefusalOf refuses (it
// may have changed during a long render), Write a picture the format would not hold whole.
class PendingImageFile {
 public:
  PendingImageFile(const QString& path, const QByteArray& format);
  PendingImageFile(const PendingImageFile&) = delete;
  PendingImageFile& operator=(const PendingImageFile&) = delete;

  bool Open(QString* error);
  bool Write(const QImage& image, QString* error);
  // Appends bytes an encoder of the program's own made.
  bool WriteBytes(const char* data, qint64 size, QString* error);
  bool Commit(QString* error);

 private:
  QSaveFile file_;
  QByteArray format_;
  QString writeError_;  // why WriteBytes first failed, or empty
};

// Opens, writes and commits in one go.
bool WriteImageFile(const QImage& image, const QString& path, const QByteArray& format,
                    QString* error);

}  // namespace files
