// The fields of a site request as received: NAME=value pairs (values are code page 932 bytes,
// never converted) and the uploaded files of a multipart send. Also the readers of the two
// body forms the service accepts and of the attachment download's query.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorami::site {

struct UploadedFile {
  std::string field;     // FILE0, FILE1, ...
  std::string filename;  // as sent: often the sender's full local path
  std::string data;
};

class Form {
 public:
  // Adds a field; a name that is already present keeps its first value.
  void Add(std::string name, std::string value);
  // The value of a field, empty when the field is absent.
  const std::string& Get(std::string_view name) const;
  bool Has(std::string_view name) const;
  const std::vector<std::pair<std::string, std::string>>& fields() const { return fields_; }

  std::vector<UploadedFile> files;
  // Sent as multipart: the client then writes every "%" of every value as the full-width "％".
  bool multipart = false;
  // The address the request came from (for the limits on password guessing and claims).
  std::string peer;

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
};

// Decodes %XX (either case); with plusIsSpace, "+" is a blank. nullopt on a broken escape.
std::optional<std::string> PercentDecode(std::string_view s, bool plusIsSpace);

// Reads an application/x-www-form-urlencoded body: NAME=value pairs joined by "&" (a trailing
// "&" is allowed). nullopt when a pair has no "=", a name is empty or an escape is broken.
std::optional<Form> ParseUrlEncoded(std::string_view body);

// The query of an attachment download, "FILE=name&TOUSER=user&TONO=number". The client sends
// the file name with only its high bytes escaped, so a raw "&" can appear in it; the fields
// are therefore found from the end. `fileRaw` is the name before percent-decoding.
struct TenpuQuery {
  std::string file;
  std::string fileRaw;
  std::string user;
  std::string number;
};
std::optional<TenpuQuery> ParseTenpuQuery(std::string_view query);

}  // namespace sorami::site
