// The base of the page readers of the fax-command recognition.
#ifndef CLIENT_OPERATION_H
#define CLIENT_OPERATION_H

class Operation {
public:
    Operation() = default;
    virtual ~Operation();
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;
};

#endif
