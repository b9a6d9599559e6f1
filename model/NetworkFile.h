#pragma once
// The line network file ("*.qem"): the count of lines, then each line image (header, spans,
// equipment tail), packed, little-endian, nothing before or after. The folder of such
// files: listing and merging into "DB_1.qem".
#include <cstdint>
#include <string>
#include <vector>

#include "model/Network.h"
#include "platform/FileSystem.h"

namespace qem {

inline constexpr const char* kNetworkExt = ".qem";
inline constexpr const char* kMergeFileName = "DB_1.qem";
// Length of the count of lines at the start of a file.
inline constexpr std::size_t kCountSize = 4;

// Where one line image lies in a file image.
struct LineImageRange {
    std::size_t offset = 0;
    std::size_t size = 0;
    int nspans = 0;
};

// The layout of a network file is not consistent: the message names the file and the fault.
class NetworkLayoutError : public FileError {
public:
    explicit NetworkLayoutError(const std::string& what) : FileError(what) {}
};

// Checks the layout of a file image: a count of 0..1000 lines, every line with 1..2550 spans
// and complete, nothing after the last line. Throws NetworkLayoutError naming the file (name)
// and the fault. Allocates nothing in proportion to the stored counts.
std::vector<LineImageRange> ScanNetworkLayout(const std::vector<std::uint8_t>& bytes, const std::string& name);

// The image of the network file at path (UTF-8), read only after the layout its count and
// line heads describe has been checked against its length (NetworkLayoutError, as
// ScanNetworkLayout); a damaged file, however long, is refused at once. FileError when it
// cannot be read.
std::vector<std::uint8_t> ReadNetworkImage(const std::string& path);

// The lines of a file image (layout checked first).
std::vector<TyLine> DecodeNetwork(const std::vector<std::uint8_t>& bytes, const std::string& name);
// The file image of the lines; invalid_argument when a count is beyond the limits.
std::vector<std::uint8_t> EncodeNetwork(const std::vector<TyLine>& lines);

// Reads the network file at path (UTF-8). Throws FileError.
std::vector<TyLine> ReadNetwork(const std::string& path);
// Reads net.NetFileName into net.Lines; on any error the network stays as it was.
void ReadNetwork(Network& net);

// Writes the lines to path, replacing the file atomically; refuses (FileError) counts
// beyond the limits, so that every written file can be read back.
void WriteNetwork(const std::string& path, const std::vector<TyLine>& lines);
// Writes net.Lines to net.NetFileName.
void WriteNetwork(const Network& net);

// Names (without folder) of the regular files in folder whose extension is ".qem" in any
// letter case, in the order the file system enumerates them. A missing folder gives none.
std::vector<std::string> ScanFolder(const std::string& folder);

struct MergeResult {
    bool written = false;               // DB_1.qem was written
    int total = 0;                      // lines written to it
    std::vector<std::string> merged;    // files whose lines it holds, in order
    std::vector<std::string> problems;  // files left out and why; why nothing was written
};

// Writes folder/DB_1.qem with the line images of every other network file of the folder,
// appended unchanged in enumeration order after their total count. A file that is not a
// valid network is left out and named in problems. Nothing happens when the folder does not
// exist; nothing is written when the lines together exceed 1000.
MergeResult MergeFolder(const std::string& folder);

}  // namespace qem
