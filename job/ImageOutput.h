#pragma once
// The cartridge image on its way to the output path: written into a new temporary file in the
// output's own folder (the same file system), which replaces the output only when committed,
// so that an existing file stays as it was until the image is complete. Removed otherwise.
#include <string>

class ImageOutput {
public:
    // Creates the temporary file beside `outputPath` (beside the file a link there leads to).
    explicit ImageOutput(const std::string& outputPath);
    // Removes the temporary file unless it was committed.
    ~ImageOutput();
    ImageOutput(const ImageOutput&) = delete;
    ImageOutput& operator=(const ImageOutput&) = delete;

    // False when the temporary file could not be created; errno tells why.
    bool IsOpen() const { return fd >= 0; }
    int Descriptor() const { return fd; }
    // Flushes the image to the disk and renames it over the output; false (errno set) on failure.
    [[nodiscard]] bool Commit();

private:
    std::string target;         // the file the image replaces
    std::string temporaryPath;  // empty once renamed
    int fd = -1;
};
