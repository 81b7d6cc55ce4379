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

// Context loss and recovery, in this one place. A call on the context
// (connect, listing) or on a card handle (status) that answers that the
// service is gone (the daemon stopped or restarted; for a context call also
// an invalid handle, which is then the context) loses the context and every
// connection made in it: the context is released (whatever the service
// answers, so that the client library lets go of its side) and all are
// forgotten, so the next operation establishes a new context. Returns true
// when that happened.
enum class ServiceCall : std::uint8_t { kOnContext, kOnCard };
bool ForgetContextIfLost(std::int32_t result, ServiceCall call);

// Runs `call`, which establishes the context it needs; when the service was
// restarted underneath it, runs it once more in a new context.
template <typename Call>
std::int32_t WithContextRecovery(const Call& call) {
    const std::int32_t result = call();
    return ForgetContextIfLost(result, ServiceCall::kOnContext) ? call() : result;
}

}  // namespace kestrova
