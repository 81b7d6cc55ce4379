#pragma once

// The service context: opened lazily by the first operation that needs it,
// closed for the whole process by CloseCardService.

#include <cstdint>

namespace kestrova {

// Clears the slots' names (also when the context is open) and, when the
// context is not open, every slot's registration and card; then binds and
// establishes the context if needed. The name of a slot that holds another
// reader's connection than `name`'s is kept, so that reader stays found.
// Returns 0, -1 (unbound) or the service's code.
std::int32_t OpenCardContext(const char* name = nullptr);

// Forgets every slot's card without disconnecting it, releases the context,
// clears every slot's name and unloads the service. Returns the service's
// result of releasing the context, or -1 when it cannot be bound.
std::int32_t CloseCardService();

// For the reader layer: establishes the context when it is not open, with
// the service bound already; touches no slot. A failure leaves the context
// closed and returns the service's code.
std::int32_t EstablishCardContext();

// True for the codes with which the service says that it is gone (the
// daemon stopped or restarted), and so is our context with it.
bool IsServiceLost(std::int32_t result);

// The same for a call that takes the context: there an invalid handle is the
// context, which a restarted service no longer knows.
bool IsContextLost(std::int32_t result);

// After such a code: the context and every connection made in it are
// forgotten, so the next operation establishes a new context.
void ForgetLostContext();

}  // namespace kestrova
