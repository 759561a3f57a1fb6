! Prints, for every case of the case file given as the first argument, what
! the Fortran run-time writes or reads with the case's layout. The table is
! the reference for the program's record engine.
!
! Case line: id|kind|layout|values|
!   kind WI, WF: write the ';'-separated integers or reals
!   kind WAn: write the ';'-separated texts as variables of length n
!   kind WAF: write one text of length 2, then the reals
!   kind RIn, RFn: read n integers or reals from the records ('~' separates records)
!   kind RAn: read one text variable of length n
program fmtref
  implicit none
  character(len=2000) :: line, fmt, vals, id, kind
  character(len=512) :: path
  character(len=200) :: recs(20)
  integer :: ios, p1, p2, p3, p4, n, k, nrec, clen, q
  integer :: iv(200)
  real :: rv(200)
  character(len=:), allocatable :: ca(:)
  character(len=:), allocatable :: tok(:)
  character(len=2) :: c2
  character(len=80) :: cread

  call get_command_argument(1, path)
  open(10, file=trim(path), status='old', action='read')
  do
    read(10, '(A)', iostat=ios) line
    if (ios /= 0) exit
    if (len_trim(line) == 0) cycle
    if (line(1:1) == '#') cycle
    p1 = index(line, '|')
    p2 = p1 + index(line(p1+1:), '|')
    p3 = p2 + index(line(p2+1:), '|')
    p4 = index(line, '|', back=.true.)
    id = line(1:p1-1)
    kind = line(p1+1:p2-1)
    fmt = line(p2+1:p3-1)
    vals = line(p3+1:p4-1)
    write(*, '(A,A)') '@@ ', trim(id)
    if (kind(1:1) == 'W') then
      call split(line(p3+1:p4-1), ';', tok, n)
      select case (kind(1:2))
      case ('WI')
        do k = 1, n
          read(tok(k), *) iv(k)
        end do
        write(*, trim(fmt)) (iv(k), k = 1, n)
      case ('WF')
        do k = 1, n
          read(tok(k), *) rv(k)
        end do
        write(*, trim(fmt)) (rv(k), k = 1, n)
      case ('WA')
        if (kind(3:3) == 'F') then
          c2 = tok(1)
          do k = 2, n
            read(tok(k), *) rv(k-1)
          end do
          write(*, trim(fmt)) c2, (rv(k), k = 1, n-1)
        else
          read(kind(3:), *) clen
          allocate(character(len=clen) :: ca(n))
          do k = 1, n
            ca(k) = tok(k)
          end do
          write(*, trim(fmt)) (ca(k), k = 1, n)
          deallocate(ca)
        end if
      end select
    else
      nrec = 0
      q = p3 + 1
      do
        k = index(line(q:p4-1), '~')
        nrec = nrec + 1
        if (k == 0) then
          recs(nrec) = line(q:p4-1)
          exit
        end if
        recs(nrec) = line(q:q+k-2)
        q = q + k
      end do
      read(kind(3:), *) n
      select case (kind(1:2))
      case ('RI')
        read(recs(1:nrec), trim(fmt), iostat=ios) (iv(k), k = 1, n)
        if (ios /= 0) then
          write(*, '(A)') 'ERR'
        else
          write(*, '(A)', advance='no') 'ok'
          do k = 1, n
            write(*, '(1X,I0)', advance='no') iv(k)
          end do
          write(*, '(A)') ''
        end if
      case ('RF')
        read(recs(1:nrec), trim(fmt), iostat=ios) (rv(k), k = 1, n)
        if (ios /= 0) then
          write(*, '(A)') 'ERR'
        else
          write(*, '(A)', advance='no') 'ok'
          do k = 1, n
            write(*, '(1X,I0)', advance='no') transfer(rv(k), 0)
          end do
          write(*, '(A)') ''
        end if
      case ('RA')
        cread = ' '
        read(recs(1:nrec), trim(fmt), iostat=ios) cread(1:n)
        if (ios /= 0) then
          write(*, '(A)') 'ERR'
        else
          write(*, '(A,A,A)') 'ok [', cread(1:n), ']'
        end if
      end select
    end if
  end do

contains

  subroutine split(s, sep, parts, n)
    character(len=*), intent(in) :: s
    character(len=1), intent(in) :: sep
    character(len=:), allocatable, intent(out) :: parts(:)
    integer, intent(out) :: n
    integer :: i, start, m
    n = 0
    if (len(s) == 0) then
      allocate(character(len=1) :: parts(1))
      return
    end if
    m = 1
    do i = 1, len(s)
      if (s(i:i) == sep) m = m + 1
    end do
    allocate(character(len=len(s)) :: parts(m))
    start = 1
    do i = 1, len(s)
      if (s(i:i) == sep) then
        n = n + 1
        parts(n) = s(start:i-1)
        start = i + 1
      end if
    end do
    n = n + 1
    parts(n) = s(start:)
  end subroutine split

end program fmtref
