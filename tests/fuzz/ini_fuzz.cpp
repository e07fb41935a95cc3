// The INI reader and the model table over any bytes, asked for sections and
// keys taken from the input itself: values never exceed the reader's buffer,
// and the model table keeps its stored forms within the header's fields.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "builder/IniFile.h"
#include "builder/ModelTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cdflash;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const IniFile ini = IniFile::Parse(text);

  // Names from the input: the text between the first '[' and ']', and the
  // text before the first '='.
  const auto open = text.find('['), close = text.find(']');
  const std::string section =
      open != std::string_view::npos && close != std::string_view::npos && close > open
          ? std::string(text.substr(open + 1, close - open - 1))
          : std::string(text.substr(0, std::min<std::size_t>(size, 8)));
  const std::string key(text.substr(0, std::min(text.find('='), size)));
  for (const std::string& s : {section, std::string(), std::string("MODEL00")}) {
    for (const std::string& k : {key, std::string("Model"), std::string()}) {
      const std::string value = ini.GetString(s, k, "FAIL");
      FUZZ_CHECK(value.size() < IniFile::kValueBufferSize);
    }
  }

  const ModelTable table = ReadModelTable(ini);
  FUZZ_CHECK(table.entries.size() == table.models.size());
  FUZZ_CHECK(table.models.size() <= static_cast<std::size_t>(kMaxModels));
  for (const ModelEntry& m : table.models) {
    FUZZ_CHECK(m.model.size() <= 24 && m.fwRange.size() <= 24 && m.vendor.size() <= 24 &&
               m.note.size() <= 24);
    FUZZ_CHECK(m.inquiry.size() == 24);
  }
  return 0;
}
