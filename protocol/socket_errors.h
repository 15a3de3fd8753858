// The failure text of a WinSock error code, as shown in failure reports.
#pragma once

#include <string>

namespace bexa::protocol {

// The fixed text of a known code, "WinSock Error: %d" for any other.
std::u16string SocketErrorText(int code);

}  // namespace bexa::protocol
