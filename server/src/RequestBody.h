// Reads the body of a site request into its fields: url-encoded, or multipart with file parts,
// stopping at the size limit.
#pragma once

#include <httplib.h>

#include <cstddef>
#include <optional>

#include "Form.h"

namespace sorami::site {

inline constexpr std::size_t kMaxRequestBytes = 32u * 1024 * 1024;

enum class BodyStatus { kOk, kTooLarge, kMalformed };

struct Body {
  BodyStatus status = BodyStatus::kOk;
  Form form;
};

Body ReadBody(const httplib::Request& req, const httplib::ContentReader& reader,
              std::size_t limit = kMaxRequestBytes);

}  // namespace sorami::site
