#pragma once

// The service context: opened lazily by the first operation that needs it,
// closed for the whole process by CloseCardService.

#include <cstdint>

namespace kestrova {

// Clears every slot's name (also when the context is open) and, when the
// context is not open, every slot's registration and card; then binds and
// establishes the context if needed. Returns 0, -1 (unbound) or the
// service's code.
std::int32_t OpenCardContext();

// Forgets every slot's card without disconnecting it, releases the context,
// clears every slot's name and unloads the service. Returns the service's
// result of releasing the context, or -1 when it cannot be bound.
std::int32_t CloseCardService();

// For the reader layer: establishes the context when it is not open, with
// the service bound already; touches no slot. A failure leaves the context
// closed and returns the service's code.
std::int32_t EstablishCardContext();

}  // namespace kestrova
