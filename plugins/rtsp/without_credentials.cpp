#include "without_credentials.h"

std::string withoutCredentials(const std::string &location)
{
    const size_t at = location.rfind('@');
    return at == std::string::npos ? location : location.substr(at + 1);
}
