#include "RequestBody.h"

#include <string>
#include <vector>

namespace sorami::site {
namespace {

struct Part {
  std::string name;
  std::string filename;
  bool isFile = false;
  std::string data;
};

// A part is an uploaded file when it names a file or is called FILE followed by digits.
bool IsFilePart(const httplib::MultipartFormData& h) {
  if (!h.filename.empty()) return true;
  if (h.name.size() <= 4 || h.name.compare(0, 4, "FILE") != 0) return false;
  return h.name.find_first_not_of("0123456789", 4) == std::string::npos;
}

}  // namespace

Body ReadBody(const httplib::Request& req, const httplib::ContentReader& reader,
              std::size_t limit) {
  Body body;
  std::size_t total = 0;
  auto count = [&](std::size_t n) {
    total += n;
    if (total > limit) body.status = BodyStatus::kTooLarge;
    return total <= limit;
  };
  if (req.is_multipart_form_data()) {
    std::vector<Part> parts;
    bool ok = reader(
        [&](const httplib::MultipartFormData& h) {
          parts.push_back(Part{h.name, h.filename, IsFilePart(h), {}});
          return count(h.name.size() + h.filename.size());
        },
        [&](const char* data, std::size_t n) {
          if (parts.empty() || !count(n)) return false;
          parts.back().data.append(data, n);
          return true;
        });
    if (!ok) {
      if (body.status == BodyStatus::kOk) body.status = BodyStatus::kMalformed;
      return body;
    }
    body.form.multipart = true;
    for (Part& p : parts) {
      if (p.isFile) {
        body.form.files.push_back(UploadedFile{p.name, p.filename, std::move(p.data)});
      } else {
        body.form.Add(std::move(p.name), std::move(p.data));
      }
    }
    return body;
  }
  std::string raw;
  bool ok = reader([&](const char* data, std::size_t n) {
    if (!count(n)) return false;
    raw.append(data, n);
    return true;
  });
  if (!ok) {
    if (body.status == BodyStatus::kOk) body.status = BodyStatus::kMalformed;
    return body;
  }
  std::optional<Form> form = ParseUrlEncoded(raw);
  if (!form) {
    body.status = BodyStatus::kMalformed;
  } else {
    body.form = std::move(*form);
  }
  return body;
}

}  // namespace sorami::site
