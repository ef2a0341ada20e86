// The base of the page readers of the fax-command recognition.
#include "client/operation.h"

Operation::~Operation() = default;
