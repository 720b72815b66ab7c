program P;

uses
  Forms;

begin
end.
