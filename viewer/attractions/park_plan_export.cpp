#include "viewer/attractions/park_plan_export.h"

#include <new>
#include <vector>

#include "common/file_util.h"
#include "common/raster_image.h"
#include "common/text.h"

namespace wunt {
namespace {

std::string_view Extension(PlanFormat format) {
  switch (format) {
    case PlanFormat::kJpeg:
      return ".jpg";
    case PlanFormat::kPng:
      return ".png";
    case PlanFormat::kBmp:
      return ".bmp";
  }
  return "";
}

std::string Encode(const RasterImage& plan, PlanFileFormat format) {
  switch (format.format) {
    case PlanFormat::kJpeg:
      return EncodeJpeg(plan, format.quality);
    case PlanFormat::kPng:
      return EncodePng(plan);
    case PlanFormat::kBmp:
      return EncodeBmp(plan);
  }
  return {};
}

enum class YearResult { kNotDone, kWritten, kFailed, kNoPlan };

// File systems hold names of up to 255 bytes; the file is first written
// under its name plus ".tmp<process>_<count>", which needs room too.
constexpr size_t kMaxFileNameBytes = 255 - 32;

std::string Hex8(uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) hex[static_cast<size_t>(i)] = kDigits[value & 15];
  return hex;
}

uint32_t Fnv1a(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

uint32_t Crc32(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PutBe32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// The park's whole name inside the file, for a file name too short to hold
// it: a JPEG comment or a PNG text chunk; a bitmap has no place for it.
void EmbedName(std::string& bytes, PlanFormat format, std::string_view park_name) {
  const std::string_view name = park_name.substr(0, 60000);  // a segment's limit
  std::string insert;
  size_t at = 0;
  if (format == PlanFormat::kJpeg && bytes.size() >= 2) {
    at = 2;  // after the start marker
    insert.append("\xFF\xFE");
    insert.push_back(static_cast<char>(((name.size() + 2) >> 8) & 0xFF));
    insert.push_back(static_cast<char>((name.size() + 2) & 0xFF));
    insert.append(name);
  } else if (format == PlanFormat::kPng && bytes.size() >= 33) {
    at = 33;  // after the signature and the header chunk
    std::string typed("tEXtTitle");
    typed.push_back('\0');
    typed.append(name);  // Windows-1252 holds Latin-1, as PNG text wants
    PutBe32(insert, static_cast<uint32_t>(typed.size() - 4));
    insert.append(typed);
    PutBe32(insert, Crc32(typed));
  } else {
    return;
  }
  bytes.insert(at, insert);
}

// The mark a shortened file name carries.
std::string ShortNameTag(std::string_view park_name) {
  std::string tag("~");
  tag.append(Hex8(Fnv1a(park_name)));
  return tag;
}

}  // namespace

std::optional<PlanFileFormat> PlanFormatForMenuId(int menu_id) {
  if (menu_id >= kPlanMenuJpeg && menu_id <= kPlanMenuJpeg + kJpegLevels)
    return PlanFileFormat{PlanFormat::kJpeg, (menu_id - kPlanMenuJpeg) * 10};
  if (menu_id == kPlanMenuPng) return PlanFileFormat{PlanFormat::kPng, 0};
  if (menu_id == kPlanMenuBmp) return PlanFileFormat{PlanFormat::kBmp, 0};
  return std::nullopt;
}

std::string PlanFileName(std::string_view park_name, int32_t year, PlanFormat format) {
  std::string name;
  for (char c : park_name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool refused =
        byte < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    name += refused ? '_' : c;
  }
  name = Cp1252ToUtf8(name);
  std::string suffix("_");
  suffix.append(std::to_string(year)).append(Extension(format));
  if (name.size() + suffix.size() <= kMaxFileNameBytes) return name.append(suffix);
  // Cut at a character's start; the whole name's checksum keeps two long
  // names with the same beginning apart.
  const std::string tag = ShortNameTag(park_name);
  size_t keep = kMaxFileNameBytes - suffix.size() - tag.size();
  while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  name.resize(keep);
  return name.append(tag).append(suffix);
}

PlanSaveReport SaveParkPlans(const ParkPlans& plans, const std::filesystem::path& folder,
                             PlanFileFormat format, const WorkControl& control) {
  const int count = plans.year_count();
  std::vector<YearResult> results(static_cast<size_t>(count), YearResult::kNotDone);
  PlanSaveReport report;
  report.total = count;
  report.cancelled = !RunPlanWork(count, control, [&](int i) {
    const int32_t year = plans.first_year() + i;
    YearResult& result = results[static_cast<size_t>(i)];
    try {
      RasterImage plan;
      if (!plans.Draw(year, plan)) {
        result = YearResult::kNoPlan;
        return;
      }
      std::string bytes = Encode(plan, format);
      const std::string& park_name = plans.request().park_name;
      const std::string file_name = PlanFileName(park_name, year, format.format);
      if (file_name.find(ShortNameTag(park_name)) != std::string::npos) {
        EmbedName(bytes, format.format, park_name);
      }
      const std::filesystem::path file = folder / file_name;
      result = !bytes.empty() && WriteFileAtomically(file, bytes) ? YearResult::kWritten
                                                                  : YearResult::kFailed;
    } catch (const std::bad_alloc&) {
      result = YearResult::kFailed;  // the other years may still fit
    }
  });
  for (int i = 0; i < count; ++i) {
    switch (results[static_cast<size_t>(i)]) {
      case YearResult::kWritten:
        ++report.written;
        break;
      case YearResult::kFailed:
        if (report.failed++ == 0) {
          report.first_failed =
              PlanFileName(plans.request().park_name, plans.first_year() + i, format.format);
        }
        break;
      case YearResult::kNoPlan:
        ++report.without_plan;
        break;
      case YearResult::kNotDone:
        break;
    }
  }
  return report;
}

std::string PlanSaveFailureText(const PlanSaveReport& report) {
  if (report.failed == 0) return {};
  return "Konnte Bild nicht speichern: " + Utf8ToCp1252(report.first_failed) + "\r\n" +
         std::to_string(report.written) + " von " + std::to_string(report.written + report.failed) +
         " Dateien wurden geschrieben.";
}

std::string PlanSaveStoppedText(const PlanSaveReport& report) {
  return "Speichern abgebrochen: " + std::to_string(report.written) + " von " +
         std::to_string(report.total) + " Dateien wurden gespeichert.";
}

}  // namespace wunt
