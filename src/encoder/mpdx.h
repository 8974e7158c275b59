#pragma once
// The MPEG encoder plug-in's two entries, loaded at run time by the video run.
//
// OpenMPDX(folder, output): each argument is the address of a text variable (UTF-8 host path):
// the encoder work folder with its frames, "Test_quantity.nno" and "Input.wav", and the MPEG
// file to write. EncodeMPDX() then encodes the frames in the order of their names, each key
// frame held for the count the frame list gives, with the soundtrack, into the output file.
// Frames 352 pixels wide give an MPEG-1 stream (video CD), any other width MPEG-2 (super video
// CD), 25 frames per second, MPEG audio layer II at 44,100 Hz stereo. The file is written beside
// the output under a work name and put in place only when complete. Both return 0 on success;
// MPDXLastError() then tells why one failed.
extern "C" {
typedef int (*OpenMPDXProc)(const char* const* encoderFolder, const char* const* outputFile);
typedef int (*EncodeMPDXProc)();
typedef const char* (*MPDXLastErrorProc)();

int OpenMPDX(const char* const* encoderFolder, const char* const* outputFile);
int EncodeMPDX();
const char* MPDXLastError();
}
