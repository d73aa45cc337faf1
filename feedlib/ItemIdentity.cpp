#include "ItemIdentity.h"

#include <openssl/evp.h>

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_set>

#include "AsciiText.h"
#include "SimpleRSSException.h"

namespace vantle {

namespace {

constexpr std::string_view GuidKind = "guid:";
constexpr std::string_view LinkKind = "link:";
constexpr std::string_view DigestKind = "sha256:";

// Each field goes in with its length first, so moving text from one field to the next
// changes the digest.
void AddField(EVP_MD_CTX* context, std::string_view field) {
  const uint64_t size = field.size();
  std::array<unsigned char, 8> length{};
  for (size_t i = 0; i < length.size(); ++i)
    length[i] = static_cast<unsigned char>(size >> (8 * i));
  EVP_DigestUpdate(context, length.data(), length.size());
  EVP_DigestUpdate(context, field.data(), field.size());
}

std::string Hex(const unsigned char* bytes, unsigned int count) {
  constexpr std::string_view digits = "0123456789abcdef";
  std::string hex;
  hex.reserve(count * 2);
  for (unsigned int i = 0; i < count; ++i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 15];
  }
  return hex;
}

std::string ContentDigest(const TRSSItem& item) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  const bool done = context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
  if (done) {
    AddField(context, item.Title);
    AddField(context, item.Link);
    AddField(context, item.Description);
  }
  const bool finished = done && EVP_DigestFinal_ex(context, digest.data(), &size) == 1;
  EVP_MD_CTX_free(context);
  if (!finished) throw TSimpleRSSException("unable to compute an item's digest");
  return Hex(digest.data(), size);
}

}  // namespace

std::string ItemIdentity(const TRSSItem& item) {
  if (std::string_view guid = TrimAsciiSpace(item.GUID.GUID); !guid.empty())
    return std::string(GuidKind) + std::string(guid);
  if (std::string_view link = TrimAsciiSpace(item.Link); !link.empty())
    return std::string(LinkKind) + std::string(link);
  return std::string(DigestKind) + ContentDigest(item);
}

std::vector<std::string> ItemIdentities(const TRSSItems& items) {
  std::vector<std::string> identities;
  std::unordered_set<std::string> seen;
  for (int i = 0; i < items.Count(); ++i) {
    std::string identity = ItemIdentity(items.Items(i));
    if (seen.insert(identity).second) identities.push_back(std::move(identity));
  }
  return identities;
}

}  // namespace vantle
