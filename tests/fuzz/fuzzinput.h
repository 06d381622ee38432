#pragma once

// The converter's fuzz inputs as files: the format variants of the fuzz
// targets, and how one input's bytes become a variant's files. The targets
// and the suite's replay of the inputs they found share it.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

struct FuzzVariant
{
    const char* name;
    const char* input;              // what the converter is given, in the folder
    std::vector<const char*> files; // the input's parts, in order
};

inline const std::vector<FuzzVariant>& fuzzVariants()
{
    static const std::vector<FuzzVariant> variants{
        {"nii", "in.nii", {"in.nii"}},    {"niigz", "in.nii.gz", {"in.nii.gz"}},
        {"nrrd", "in.nrrd", {"in.nrrd"}}, {"nhdr", "in.nhdr", {"in.nhdr", "in.raw"}},
        {"mha", "in.mha", {"in.mha"}},    {"mhd", "in.mhd", {"in.mhd", "in.raw"}},
        {"dicom", "series", {"series/a"}},
        {"dicomseries", "series", {"series/a", "series/b", "series/c"}},
    };
    return variants;
}

inline const FuzzVariant* fuzzVariant(const std::string& name)
{
    for (const FuzzVariant& variant : fuzzVariants())
        if (name == variant.name)
            return &variant;
    return nullptr;
}

// Writes `bytes` into `folder` as the variant's files, cut where "--8<--\n"
// stands when it has several (a detached header, then its data); a part with
// no cut before it is no file at all. Returns the input's path.
inline std::filesystem::path writeFuzzInput(const FuzzVariant& variant, std::string_view bytes,
                                            const std::filesystem::path& folder)
{
    constexpr std::string_view kSplit = "--8<--\n";
    bool present = true;
    for (size_t part = 0; part < variant.files.size(); ++part) {
        const std::filesystem::path path = folder / variant.files[part];
        if (!present) {
            std::filesystem::remove(path);
            continue;
        }
        const size_t split = part + 1 < variant.files.size() ? bytes.find(kSplit) : bytes.npos;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), std::streamsize(std::min(split, bytes.size())));
        present = split != bytes.npos;
        if (present)
            bytes.remove_prefix(split + kSplit.size());
    }
    return folder / variant.input;
}
