#pragma once

#include <QByteArrayView>

namespace quillory {

// Whether the headers of a picture file held in memory describe data the file really holds: a
// decoder would otherwise fill what is missing (a truncated file) or read from where a header
// points (a pixel offset beyond the end) and hand back a picture that is not in the file. BMP,
// PNG, JPEG, GIF and ICO are checked by their structure; other formats are left to the decoder.
[[nodiscard]] bool PictureStructureIsSound(QByteArrayView data);

} // namespace quillory
