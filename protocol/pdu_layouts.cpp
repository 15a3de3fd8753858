#include "protocol/pdu_layouts.h"

#include <array>

#include "protocol/pdu_catalogue.h"

namespace bexa::protocol {
namespace {

using K = FieldKind;

constexpr FieldLayout kProt[] = {{1, K::kText}, {2, K::kText}};
constexpr FieldLayout kDigest[] = {{3, K::kText}};
constexpr FieldLayout kCspr[] = {{4, K::kInt}, {5, K::kInt}};
constexpr FieldLayout kCspp[] = {{5, K::kInt}};
constexpr FieldLayout kUsrr[] = {{6, K::kTrimmedText}, {7, K::kTrimmedText}, {38, K::kTrimmedText}};
constexpr FieldLayout kUsrp[] = {
    {8, K::kInt}, {39, K::kInt}, {40, K::kText}, {56, K::kInt, 0, u"3.00"}};
constexpr FieldLayout kPwdr[] = {{9, K::kTrimmedText}, {35, K::kTrimmedText}, {36, K::kTrimmedText}};
constexpr FieldLayout kPwdp[] = {{37, K::kInt}, {35, K::kTrimmedText}};
constexpr FieldLayout kAinf[] = {{49, K::kInt}, {50, K::kTrimmedText}};
constexpr FieldLayout kAsts[] = {{51, K::kInt}};
constexpr FieldLayout kAuth[] = {{52, K::kInt}, {53, K::kBytes}};
constexpr FieldLayout kMkyr[] = {{7, K::kTrimmedText}};
constexpr FieldLayout kMkyp[] = {{54, K::kInt}};
constexpr FieldLayout kAbrt[] = {{31, K::kInt}};
constexpr FieldLayout kChme[] = {{73, K::kInt}};
constexpr FieldLayout kEvnt[] = {{74, K::kInt}};
constexpr FieldLayout kPing[] = {{78, K::kInt}};
constexpr FieldLayout kSysr[] = {{69, K::kSystemChange}};
constexpr FieldLayout kUpgr[] = {{28, K::kText}, {30, K::kText}};
constexpr FieldLayout kRadf[] = {{28, K::kText}, {30, K::kText}, {76, K::kInt}};
constexpr FieldLayout kVolumeList[] = {{11, K::kTextList, 12}};
constexpr FieldLayout kDlsr[] = {{12, K::kText}, {43, K::kTextList, 9}};
constexpr FieldLayout kDlsp[] = {{44, K::kInt}, {35, K::kTrimmedText}, {13, K::kInt}};
constexpr FieldLayout kLinf[] = {{14, K::kText}, {45, K::kText}, {27, K::kRecordList, 80}};
constexpr FieldLayout kFilePath[] = {{14, K::kText}};
constexpr FieldLayout kFlsr[] = {{13, K::kInt}, {12, K::kText}};
constexpr FieldLayout kFlsp[] = {{46, K::kInt}};
constexpr FieldLayout kDelr[] = {{17, K::kText}, {13, K::kTextList, 14}};
constexpr FieldLayout kDelp[] = {{41, K::kInt}};
constexpr FieldLayout kRdfr[] = {{22, K::kInt}, {18, K::kInt}};
constexpr FieldLayout kRdfp[] = {{55, K::kInt}};
constexpr FieldLayout kDflr[] = {{12, K::kText}, {13, K::kTextList, 14}};
constexpr FieldLayout kDfil[] = {{14, K::kText}, {57, K::kInt}, {58, K::kWide, 0, nullptr, u"5.01"}};
constexpr FieldLayout kRvlr[] = {{11, K::kTextList, 12}, {43, K::kTextList, 9}};
constexpr FieldLayout kRvlp[] = {{47, K::kRecordList, 81}};
constexpr FieldLayout kRflr[] = {{12, K::kText}, {13, K::kRecordList, 82}};
constexpr FieldLayout kSfil[] = {{14, K::kText}, {48, K::kInt}, {22, K::kInt}};
constexpr FieldLayout kFinf[] = {
    {14, K::kText}, {16, K::kInt},  {33, K::kInt},  {34, K::kInt},
    {17, K::kText}, {18, K::kWide, 0, nullptr, u"5.01"},
    {42, K::kInt},  {19, K::kText}, {20, K::kText}, {21, K::kText},
    {22, K::kInt},  {23, K::kInt}};
constexpr FieldLayout kFsts[] = {
    {24, K::kInt}, {25, K::kWide, 0, nullptr, u"6.01"}, {75, K::kInt, 0, u"7.0"}};
constexpr FieldLayout kFdta[] = {{26, K::kInt}, {32, K::kInt}};
constexpr FieldLayout kVerr[] = {{14, K::kText}, {29, K::kInt}};
constexpr FieldLayout kVerp[] = {
    {15, K::kInt}, {61, K::kInt, 0, u"3.50"}, {62, K::kInt, 0, u"3.50"}, {63, K::kText, 0, u"3.50"}};

constexpr FieldLayout kRecord80[] = {
    {17, K::kText}, {20, K::kText}, {18, K::kWide, 0, nullptr, u"5.01"}};
constexpr FieldLayout kRecord81[] = {{46, K::kInt}, {35, K::kText}};
constexpr FieldLayout kRecord82[] = {{14, K::kText}, {17, K::kText}};

struct Entry {
  uint8_t type;
  std::span<const FieldLayout> fields;
};

constexpr Entry kLayouts[] = {
    {kPduProt, kProt},  {kPduEncr, kDigest}, {kPduEncp, kDigest},     {kPduCspr, kCspr},
    {kPduCspp, kCspp},  {kPduUsrr, kUsrr},   {kPduUsrp, kUsrp},       {kPduPwdr, kPwdr},
    {kPduVlsr, kVolumeList}, {kPduVlsp, kVolumeList}, {kPduFlsr, kFlsr}, {kPduFlsp, kFlsp},
    {kPduFinf, kFinf},  {kPduFsts, kFsts},   {kPduFdta, kFdta},       {kPduVerr, kVerr},
    {kPduVerp, kVerp},  {kPduRflr, kRflr},   {kPduCncl, {}},          {kPduSlsr, {}},
    {kPduSlsp, kVolumeList}, {kPduDlsr, kDlsr}, {kPduDlsp, kDlsp},    {kPduUpgr, kUpgr},
    {kPduPwdp, kPwdp},  {kPduDelr, kDelr},   {kPduDelp, kDelp},       {kPduLinf, kLinf},
    {kPduRvlr, kRvlr},  {kPduRvlp, kRvlp},   {kPduSfil, kSfil},       {kPduAinf, kAinf},
    {kPduAsts, kAsts},  {kPduAuth, kAuth},   {kPduMkyr, kMkyr},       {kPduMkyp, kMkyp},
    {kPduRdfr, kRdfr},  {kPduRdfp, kRdfp},   {kPduDvlr, kRvlr},       {kPduDvlp, kRvlp},
    {kPduDflr, kDflr},  {kPduDfil, kDfil},   {kPduTest, kProt},       {kPduChme, kChme},
    {kPduSysr, kSysr},  {kPduEvnt, kEvnt},   {kPduDslr, kDlsr},       {kPduEhlr, kDlsr},
    {kPduEhfr, kFilePath}, {kPduRadf, kRadf}, {kPduPing, kPing},      {kPduAbrt, kAbrt},
    {kPduHtbt, {}},     {kPduQuit, {}},
};

struct Table {
  std::array<PduLayout, 256> by_type{};
  constexpr Table() {
    for (const Entry& e : kLayouts) by_type[e.type] = PduLayout{true, e.fields};
  }
};
constexpr Table kTable;

}  // namespace

PduLayout LayoutOf(int type) {
  if (type < 0 || type > 255) return {};
  return kTable.by_type[type];
}

std::span<const FieldLayout> RecordLayoutOf(int record_tag) {
  switch (record_tag) {
    case 80: return kRecord80;
    case 81: return kRecord81;
    case 82: return kRecord82;
    default: return {};
  }
}

}  // namespace bexa::protocol
