#pragma once
// The MPEG encoder plug-in's two entries, loaded at run time by the video run.
//
// OpenMPDX(folder, output): each argument is the address of a text variable (UTF-8 host path):
// the encoder work folder with its frames, "Test_quantity.nno" and "Input.wav", and the MPEG
// file to write. EncodeMPDX() then encodes the frames in the order of their names, each key
// frame held for the count the frame list gives, with the soundtrack, into the output file.
// The frames' size chooses the stream: 352 × 288 and 352 × 240 give a video CD stream (MPEG-1 in
// the video CD multiplex), 480 × 576 and 480 × 480 a super video CD stream (MPEG-2 in the super
// video CD multiplex); 288 and 576 lines are PAL at 25 frames per second, 240 and 480 lines NTSC
// at 30000/1001. The frame list counts in 25ths of a second in both norms. Every stream is
// signalled 4:3 (below), with MPEG audio layer II at 44,100 Hz stereo; other frame sizes are
// refused.
// The file is written beside the output under a work name and put in place only when complete.
// Both return 0 on success; MPDXLastError() then tells why one failed.
// Every stream shows 4:3 on the screen whatever its size: a pixel of a frame W x H shows
// (4 x H) / (3 x W) as wide as it is high, and the frames are laid out for that.
constexpr int MpdxDisplayAspectWidth = 4;
constexpr int MpdxDisplayAspectHeight = 3;

extern "C" {
typedef int (*OpenMPDXProc)(const char* const* encoderFolder, const char* const* outputFile);
typedef int (*EncodeMPDXProc)();
typedef const char* (*MPDXLastErrorProc)();

int OpenMPDX(const char* const* encoderFolder, const char* const* outputFile);
int EncodeMPDX();
const char* MPDXLastError();
}
