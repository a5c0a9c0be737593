// A mutex with virtual Lock/Unlock, created and destroyed with its owner.
#ifndef KVO_COMMON_CQ_THREAD_MUTEX_H
#define KVO_COMMON_CQ_THREAD_MUTEX_H

#include <mutex>

class CQThreadMutex {
 public:
  CQThreadMutex() = default;
  CQThreadMutex(const CQThreadMutex&) = delete;
  CQThreadMutex& operator=(const CQThreadMutex&) = delete;
  virtual ~CQThreadMutex() = default;
  virtual void Lock() { mutex_.lock(); }
  virtual void Unlock() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

// Holds a CQThreadMutex for the life of a scope.
class CQThreadLock {
 public:
  explicit CQThreadLock(CQThreadMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  CQThreadLock(const CQThreadLock&) = delete;
  CQThreadLock& operator=(const CQThreadLock&) = delete;
  ~CQThreadLock() { mutex_.Unlock(); }

 private:
  CQThreadMutex& mutex_;
};

#endif
