// Binding of every host service while the library is loaded.
#pragma once

// Set by the first service that cannot be bound; the load then fails.
extern bool HostBindingRefused;
