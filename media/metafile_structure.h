// The record structure of a metafile, checked before the bytes are handed to the translator
// libraries. Those trust the lengths and offsets a file states (a description string past its
// record, a "largest record" of gigabytes that is allocated up front), so a damaged file could
// make them read past the data or exhaust memory. A sound file passes unchanged, apart from WMF
// header fields that only tell the reader how much to allocate, which are set to what the
// records really need.
#pragma once

#include <QByteArray>
#include <string>

namespace zemlo::media {

// Checks an EMF: header record, pixel format inside it (where the header has that field), every
// record inside the file, an end record whose palette lies inside it. On success the bytes are
// cut after the end record, the description (which draws nothing) is dropped from the header,
// header bytes that are description text rather than optional fields are set to what the absent
// fields mean, and the result is empty; otherwise it says why the metafile is refused.
std::string check_emf_structure(QByteArray &bytes);

// Checks a WMF (with or without the placeable header): the header, every record inside the file
// and an end record. On success the bytes are cut after the end record, the header's file size
// and largest record are set to what the records take, and the result is empty.
std::string check_wmf_structure(QByteArray &bytes);

}  // namespace zemlo::media
