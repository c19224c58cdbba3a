#pragma once
// Independent checks of the cabinets the writer makes: a reader of the file layout, and the three
// decoders that must agree with our encoder (cabextract and 7-Zip, run as Unix programs through
// Wine, and Wine's own cabinet.dll through FDI).

#include "framework/String.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cabinettest {

struct FileEntry {
    uint32_t size;
    uint32_t offset;
    uint16_t folder;
    uint16_t date;
    uint16_t time;
    uint16_t attributes;
    std::string name;   // bytes as stored
};

struct DataBlock {
    uint32_t checksum;
    uint16_t compressedSize;
    uint16_t uncompressedSize;
    bool checksumMatches;
};

struct Layout {
    bool valid = false;
    std::string problem;   // why it is not valid
    uint8_t versionMajor = 0, versionMinor = 0;
    uint32_t cabinetSize = 0;
    std::vector<uint16_t> folderTypes;
    std::vector<FileEntry> files;
    std::vector<DataBlock> blocks;   // of every folder, in order
};

// Reads the header, the folder and file entries and the data blocks of a cabinet.
Layout ReadLayout(const wchar_t* cabinetPath);

// Unix path of a Windows path (Wine only); empty when not under Wine.
std::string UnixPath(const wchar_t* path);

// True when Unix programs can be started (running under Wine).
bool HaveUnixPrograms();

// True when Unix programs can be started and cabextract is installed.
bool HaveCabextract();

// Runs cabextract with the arguments on the cabinet; returns its exit code (-1 when it could not
// run). Its status file goes to statusFolder.
int RunCabextract(const wchar_t* arguments, const wchar_t* cabinetPath, const wchar_t* statusFolder);

// Extracts with cabextract into the folder; returns its exit code (-1 when it could not run).
int ExtractWithCabextract(const wchar_t* cabinetPath, const wchar_t* folder);

// Extracts with 7-Zip (7zz) into the folder; returns its exit code (-1 when it could not run).
int ExtractWith7Zip(const wchar_t* cabinetPath, const wchar_t* folder);

// Extracts with the system's FDI into the folder; empty on success, else what went wrong.
std::string ExtractWithFdi(const wchar_t* cabinetPath, const wchar_t* folder);

} // namespace cabinettest
