// The WellInfo section's keys and the HeaderInfo field each one carries, in
// the order the writer puts them into the file. One table serves the writer,
// the reader and the reset.
#pragma once

#include <span>
#include <string>

#include "header/header_info.h"

enum class FieldKind { kInt, kFloat, kText };

struct WellInfoField {
  const char* key;
  FieldKind kind;
  int HeaderInfo::*intField;
  float HeaderInfo::*floatField;
  std::string HeaderInfo::*textField;
  int comment;  // index into HeaderInfo::Comment, or -1
};

std::span<const WellInfoField> WellInfoFields();
int& WellInfoInt(HeaderInfo& info, const WellInfoField& field);
float& WellInfoFloat(HeaderInfo& info, const WellInfoField& field);
std::string& WellInfoText(HeaderInfo& info, const WellInfoField& field);
int WellInfoInt(const HeaderInfo& info, const WellInfoField& field);
float WellInfoFloat(const HeaderInfo& info, const WellInfoField& field);
const std::string& WellInfoText(const HeaderInfo& info, const WellInfoField& field);

// Sets every number of the record to 0 and leaves its texts.
void ClearHeaderInfoNumbers(HeaderInfo& info);
